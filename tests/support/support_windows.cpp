// Test support on Windows, whose C runtime has its locales built in: nothing to make.
#include "tests/support/support.h"

namespace qlx::test {

std::string makeCommaDecimalLocale() {
    return {};
}

} // namespace qlx::test
