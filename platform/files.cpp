// Reading an input whole, the same on every system with files.
#include "platform/files.h"

#include <algorithm>

namespace qlx::platform {

Result<InputBytes> readWhole(const InputFile& input) {
    if (input.size > SIZE_MAX) {
        runOutOfMemory(SIZE_MAX);
    }
    const auto size = static_cast<std::size_t>(input.size);
    InputBytes read{allocateLarge(size), size, false};
    auto* const bytes = reinterpret_cast<char*>(read.block.get());
    for (std::size_t done = 0; done < size;) {
        const auto got = input.file.readAt(done, {bytes + done, size - done});
        if (!got) {
            return unexpected(got.error());
        }
        if (*got == 0) { // cut while it was read
            std::fill(bytes + done, bytes + size, '\0');
            read.cut = true;
            break;
        }
        done += *got;
    }
    return read;
}

} // namespace qlx::platform
