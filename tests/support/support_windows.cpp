// Test support on Windows, whose C runtime has its locales built in, and whose own converter
// says what code page 932 is.
#include "tests/support/support.h"

#include <windows.h>

namespace qlx::test {

platform::File fileOf(std::string_view bytes) {
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, folder);
    GetTempFileNameW(folder, L"qlx", 0, name);
    const HANDLE handle = CreateFileW(
        name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
        CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    DWORD put = 0;
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    return platform::File(reinterpret_cast<std::intptr_t>(handle));
}

bool filesAreCheap() {
    return false;
}

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
