// Test support on Windows, whose C runtime has its locales built in, and whose own converter
// says what code page 932 is.
#include "tests/support/support.h"

#include <windows.h>

namespace qlx::test {

std::string makeCommaDecimalLocale() {
    return {};
}

std::optional<std::uint16_t> systemShiftJisCode(char32_t character) {
    const auto wide = static_cast<wchar_t>(character);
    char out[4];
    BOOL substituted = FALSE;
    const int size = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, &wide, 1, out, sizeof out,
                                         nullptr, &substituted);
    if (size <= 0 || substituted) {
        return std::nullopt;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(out);
    return size == 1 ? bytes[0] : static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
}

} // namespace qlx::test
