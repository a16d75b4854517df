// Test support on POSIX systems: a German locale generated with localedef when none exists.
#include "tests/support/support.h"

#include <clocale>
#include <cstdlib>

namespace qlx::test {

std::string makeCommaDecimalLocale() {
    const auto folder = std::filesystem::temp_directory_path() / "qlx-test-locales";
    std::filesystem::create_directories(folder);
    const std::string command =
        "localedef -i de_DE -f UTF-8 '" + (folder / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0 && !std::filesystem::exists(folder / "de_DE.UTF-8")) {
        return {};
    }
    setenv("LOCPATH", folder.c_str(), 1);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        return {};
    }
    std::setlocale(LC_ALL, "C");
    return "de_DE.UTF-8";
}

} // namespace qlx::test
