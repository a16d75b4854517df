// What the process's environment says on every system.
#include "platform/process.h"

#include <chrono>
#include <cstdlib>
#include <random>

namespace qlx::platform {

std::uint64_t unguessable() {
    try {
        std::random_device entropy;
        return std::uint64_t{entropy()} << 32 ^ entropy();
    } catch (const std::exception&) {
        return static_cast<std::uint64_t>(
            std::chrono::steady_clock::now().time_since_epoch().count());
    }
}

bool pauseSkipped() {
    const char* value = std::getenv("QLXCONVERTER_NO_PAUSE");
    return value != nullptr && *value != '\0' && std::string_view(value) != "0";
}

} // namespace qlx::platform
