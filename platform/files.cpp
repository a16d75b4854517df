// What reading an input takes on every system: its bytes read into memory.
#include "platform/files.h"

namespace qlx::platform {

std::optional<MappedInput> MappedInput::readAll(InputFile input) {
    const auto size = static_cast<std::size_t>(input.size);
    LargeBlock copy = allocateLarge(size);
    auto* const bytes = reinterpret_cast<char*>(copy.get());
    for (std::size_t done = 0; done < size;) {
        const auto got = input.file.read({bytes + done, size - done});
        if (!got || *got == 0) {
            return std::nullopt;
        }
        done += *got;
    }
    return MappedInput(std::move(input), std::move(copy));
}

std::optional<MappedInput> readInput(const std::filesystem::path& path) {
    auto input = openInput(path);
    if (!input || input->size > SIZE_MAX) {
        return std::nullopt;
    }
    return MappedInput::readAll(std::move(*input));
}

} // namespace qlx::platform
