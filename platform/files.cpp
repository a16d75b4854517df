// What reading an input takes on every system: its bytes read into memory.
#include "platform/files.h"

namespace qlx::platform {

std::optional<MappedInput> MappedInput::readAll(InputFile input, SystemError* error) {
    const auto size = static_cast<std::size_t>(input.size);
    LargeBlock copy = allocateLarge(size);
    auto* const bytes = reinterpret_cast<char*>(copy.get());
    for (std::size_t done = 0; done < size;) {
        const auto got = input.file.read({bytes + done, size - done});
        if (!got || *got == 0) {
            if (error != nullptr) {
                // A file that ends before its size was cut while it was read.
                *error = got ? SystemError{SystemError::Kind::Other, 0} : lastError();
            }
            return std::nullopt;
        }
        done += *got;
    }
    return MappedInput(std::move(input), std::move(copy));
}

std::optional<MappedInput> readInput(const std::filesystem::path& path, SystemError* error) {
    auto input = openInput(path, error);
    if (!input) {
        return std::nullopt;
    }
    if (input->size > SIZE_MAX) {
        throw AllocationFailure(SIZE_MAX);
    }
    return MappedInput::readAll(std::move(*input), error);
}

} // namespace qlx::platform
