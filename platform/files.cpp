// Reading an input whole, the same on every system.
#include "platform/files.h"

#include <algorithm>

namespace qlx::platform {

Result<InputBytes> readWhole(InputFile input) {
    if (input.size > SIZE_MAX) {
        throw AllocationFailure(SIZE_MAX);
    }
    const auto size = static_cast<std::size_t>(input.size);
    LargeBlock copy = allocateLarge(size);
    auto* const bytes = reinterpret_cast<char*>(copy.get());
    for (std::size_t done = 0; done < size;) {
        const auto got = input.file.read({bytes + done, size - done});
        if (!got) {
            return unexpected(got.error());
        }
        if (*got == 0) { // cut while it was read
            std::fill(bytes + done, bytes + size, '\0');
            return InputBytes(std::move(input), std::move(copy), true);
        }
        done += *got;
    }
    return InputBytes(std::move(input), std::move(copy), false);
}

} // namespace qlx::platform
