// Test support on POSIX systems: a German locale generated with localedef when none exists, and
// the C library's code page 932 converter.
#include "tests/support/support.h"

#include <clocale>
#include <cstdlib>
#include <iconv.h>
#include <map>
#include <sys/mman.h>
#include <unistd.h>

namespace qlx::test {

platform::File fileOf(std::string_view bytes) {
    platform::File file(memfd_create("qlx-test", MFD_CLOEXEC));
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t put =
            write(static_cast<int>(file.handle()), bytes.data() + done, bytes.size() - done);
        if (put <= 0) {
            std::abort();
        }
        done += static_cast<std::size_t>(put);
    }
    return file;
}

bool filesAreCheap() {
    return true;
}

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
    static const std::map<char32_t, std::optional<std::uint16_t>> notAsWindows = {
        {0xA2, {}},     {0xA3, {}},     {0xA5, {}},     {0xAC, {}},    {0x2014, {}},
        {0x2016, {}},   {0x203E, {}},   {0x2212, {}},   {0x301C, {}},  {0x80, 0x80},
        {0xF8F0, 0xA0}, {0xF8F1, 0xFD}, {0xF8F2, 0xFE}, {0xF8F3, 0xFF}};
    if (const auto known = notAsWindows.find(character); known != notAsWindows.end()) {
        return known->second;
    }
    static const iconv_t converter = iconv_open("CP932", "UTF-32LE");
    char32_t in = character; // UTF-32LE on the little-endian systems this runs on
    unsigned char out[4];
    char* inAt = reinterpret_cast<char*>(&in);
    char* outAt = reinterpret_cast<char*>(out);
    std::size_t inLeft = 4, outLeft = 4;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &inAt, &inLeft, &outAt, &outLeft) == static_cast<std::size_t>(-1)) {
        return std::nullopt;
    }
    return outLeft == 3 ? out[0] : static_cast<std::uint16_t>(out[0] << 8 | out[1]);
}

} // namespace qlx::test
