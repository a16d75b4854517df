// The program's entry point: wires the platform and the two conversions into the driver.
#include "app/driver.h"
#include "app/platform.h"

namespace {

// The conversions come with the converter; until then every conversion is refused.
int notAvailable(const std::filesystem::path&) { return -1; }

} // namespace

int main(int argc, char** argv) {
    using namespace qlx::app;
    return runDriver(firstArgument(argc, argv), Conversions{notAvailable, notAvailable},
                     systemPlatform());
}
