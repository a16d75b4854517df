// What the process's environment says on every system.
#include "platform/process.h"

#include <cstdlib>

namespace qlx::platform {

bool pauseSkipped() {
    const char* value = std::getenv("QLXCONVERTER_NO_PAUSE");
    return value != nullptr && *value != '\0' && std::string_view(value) != "0";
}

} // namespace qlx::platform
