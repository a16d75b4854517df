// The program's entry point: wires the platform and the two conversions into the driver.
#include "app/driver.h"
#include "convert/conversion.h"
#include "platform/files.h"
#include "platform/process.h"

int main(int argc, char** argv) {
    using namespace qlx;
    platform::installFileGuards();
    return app::runDriver(platform::arguments(argc, argv),
                          app::Conversions{convert::exportToCsv, convert::importFromCsv},
                          platform::systemPlatform());
}
