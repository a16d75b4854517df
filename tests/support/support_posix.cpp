// Test support on POSIX systems: a German locale generated with localedef when none exists, and
// the C library's code page 932 converter.
#include "tests/support/support.h"

#include <clocale>
#include <cstdlib>
#include <iconv.h>

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

std::optional<std::uint16_t> systemShiftJisCode(char32_t character) {
    // The C library maps nine compatibility characters that Windows does not, and not the four
    // code points of Windows' single bytes 80, A0 and FD to FF.
    switch (character) {
    case 0xA2:
    case 0xA3:
    case 0xA5:
    case 0xAC:
    case 0x2014:
    case 0x2016:
    case 0x203E:
    case 0x2212:
    case 0x301C:
        return std::nullopt;
    case 0x80:
        return 0x80;
    case 0xF8F0:
        return 0xA0;
    case 0xF8F1:
    case 0xF8F2:
    case 0xF8F3:
        return static_cast<std::uint16_t>(0xFD + character - 0xF8F1);
    default:
        break;
    }
    static const iconv_t converter = iconv_open("CP932", "UTF-32LE");
    char in[4];
    for (std::size_t i = 0; i < 4; ++i) {
        in[i] = static_cast<char>(character >> (8 * i));
    }
    char out[4];
    char* inAt = in;
    char* outAt = out;
    std::size_t inLeft = 4;
    std::size_t outLeft = 4;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &inAt, &inLeft, &outAt, &outLeft) == static_cast<std::size_t>(-1)) {
        return std::nullopt;
    }
    const auto byte = [&](int i) {
        return static_cast<std::uint16_t>(static_cast<unsigned char>(out[i]));
    };
    return outAt - out == 1 ? byte(0) : static_cast<std::uint16_t>(byte(0) << 8 | byte(1));
}

} // namespace qlx::test
