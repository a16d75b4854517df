// Reading a whole file into memory, into a buffer sized once from the file's size.
#include "io/read_file.h"

#include <algorithm>
#include <fstream>
#include <system_error>

namespace qlx::io {

namespace fs = std::filesystem;

std::optional<std::size_t> regularFileSize(const fs::path& path) {
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (ec || !fs::is_regular_file(status)) {
        return std::nullopt;
    }
    const auto size = fs::file_size(path, ec);
    if (ec) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(size);
}

std::optional<Buffer> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    constexpr std::size_t kChunk = 1 << 16;
    const std::size_t expected = regularFileSize(path).value_or(0);
    Buffer bytes;
    // Room for the whole file and the read that finds its end, so the buffer never moves.
    bytes.reserve(expected + kChunk);
    while (in) {
        const std::size_t want = std::max(kChunk, expected - std::min(expected, bytes.size()));
        char* out = bytes.extend(want);
        in.read(out, static_cast<std::streamsize>(want));
        bytes.truncate(bytes.size() - want + static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        return std::nullopt;
    }
    return bytes;
}

} // namespace qlx::io
