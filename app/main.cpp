// The program's entry point: wires the platform and the two conversions into the driver.
#include "app/driver.h"
#include "app/platform.h"
#include "convert/conversion.h"

int main(int argc, char** argv) {
    using namespace qlx;
    return app::runDriver(app::firstArgument(argc, argv),
                          app::Conversions{convert::exportToCsv, convert::importFromCsv},
                          app::systemPlatform());
}
