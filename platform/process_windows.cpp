// The platform layer on Windows, the program's home: message sounds, the pause, the Japanese
// locale, and the command line read as wide characters so that any file name opens.
#include "platform/process.h"

#include <clocale>
#include <cstdio>
#include <locale>
#include <stdexcept>

// windows.h must come before the other system headers.
#include <windows.h>

#include <shellapi.h>

namespace qlx::platform {

namespace {

void writeError(std::string_view bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    std::fflush(stderr);
}

void messageBeep(Signal signal) {
    MessageBeep(static_cast<UINT>(signal));
}

void pause(std::chrono::milliseconds duration) {
    Sleep(static_cast<DWORD>(duration.count()));
}

// Some C++ runtimes cannot build named locales; the C runtime's then carries the code page.
void useJapaneseLocale() {
    try {
        std::locale::global(std::locale("japanese"));
    } catch (const std::runtime_error&) {
        std::setlocale(LC_ALL, "japanese");
    }
}

// The argument as code page 932 bytes, as the console is to echo it.
std::string codePage932(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int wide = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(932, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(932, 0, text.data(), wide, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

} // namespace

Platform systemPlatform() {
    return {writeError, messageBeep, pause, useJapaneseLocale};
}

// The narrow argv holds the path in the system's ANSI code page, which cannot spell every
// name; the wide command line can.
std::vector<Argument> arguments(int, char**) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<Argument> all;
    for (int i = 1; wide != nullptr && i < count; ++i) {
        const std::wstring text = wide[i];
        all.push_back({std::filesystem::path(text), codePage932(text)});
    }
    LocalFree(wide);
    return all;
}

} // namespace qlx::platform
