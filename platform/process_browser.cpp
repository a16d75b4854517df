// What the process's environment gives in a browser: entropy from the page's own source.
#include "platform/process.h"

#include <random>

namespace qlx::platform {

std::uint64_t unguessable() {
    std::random_device entropy;
    return std::uint64_t{entropy()} << 32 ^ entropy();
}

} // namespace qlx::platform
