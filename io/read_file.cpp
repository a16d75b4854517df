// Reading a whole file into a buffer sized once from the file's size.
#include "io/read_file.h"

#include "platform/files.h"

namespace qlx::io {

std::optional<Buffer> readFile(const std::filesystem::path& path) {
    auto input = platform::openInput(path);
    if (!input) {
        return std::nullopt;
    }
    Buffer bytes;
    // Room for the whole file and the read that finds its end (a file may grow meanwhile).
    constexpr std::size_t kChunk = 1 << 16;
    bytes.reserve(static_cast<std::size_t>(input->size) + kChunk);
    for (;;) {
        const std::size_t room =
            std::max(kChunk, static_cast<std::size_t>(input->size) -
                                 std::min<std::size_t>(input->size, bytes.size()));
        char* out = bytes.extend(room);
        const auto got = input->file.read(out, room);
        bytes.truncate(bytes.size() - room + got.value_or(0));
        if (!got) {
            return std::nullopt;
        }
        if (*got == 0) {
            return bytes;
        }
    }
}

} // namespace qlx::io
