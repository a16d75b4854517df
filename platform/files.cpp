// What reading an input takes on every system: its bytes read into memory.
#include "platform/files.h"

namespace qlx::platform {

Result<MappedInput> MappedInput::readAll(InputFile input) {
    const auto size = static_cast<std::size_t>(input.size);
    LargeBlock copy = allocateLarge(size);
    auto* const bytes = reinterpret_cast<char*>(copy.get());
    for (std::size_t done = 0; done < size;) {
        const auto got = input.file.read({bytes + done, size - done});
        if (!got) {
            return unexpected(got.error());
        }
        if (*got == 0) { // a file that ends before its size was cut while it was read
            return unexpected(SystemError{SystemError::Kind::Other, 0});
        }
        done += *got;
    }
    return MappedInput(std::move(input), std::move(copy));
}

Result<MappedInput> readInput(const std::filesystem::path& path) {
    auto input = openInput(path);
    if (!input) {
        return unexpected(input.error());
    }
    if (input->size > SIZE_MAX) {
        throw AllocationFailure(SIZE_MAX);
    }
    return MappedInput::readAll(std::move(*input));
}

} // namespace qlx::platform
