// The platform layer on Windows, the program's home: message sounds, the pause, and the
// command line read as wide characters so that any file name opens.
#include "platform/process.h"

#include <cstdio>
#include <string>

// windows.h must come before the other system headers.
#include <windows.h>

#include <shellapi.h>

namespace qlx::platform {

namespace {

// A console that shows standard error, if there is one.
HANDLE errorConsole() {
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    return error != INVALID_HANDLE_VALUE && GetConsoleMode(error, &mode) ? error : nullptr;
}

void writeBytes(std::string_view bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    std::fflush(stderr);
}

// UTF-8 in, written as the console's wide characters, which it shows whatever its code page.
void writeConsole(std::string_view utf8) {
    if (utf8.empty()) {
        return;
    }
    const int size = static_cast<int>(utf8.size());
    const int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, text.data(), wide);
    DWORD written = 0;
    WriteConsoleW(errorConsole(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void messageBeep(Sound sound) {
    MessageBeep(static_cast<UINT>(sound));
}

void pause(std::chrono::milliseconds duration) {
    Sleep(static_cast<DWORD>(duration.count()));
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

// A console whose only process is this one was made for it, and closes when it ends.
bool ownConsole() {
    DWORD processes[2];
    return GetConsoleProcessList(processes, 2) == 1;
}

Platform systemPlatform() {
    const bool console = errorConsole() != nullptr;
    const bool japanese = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
    return {console ? writeConsole : writeBytes,
            messageBeep,
            pause,
            console,
            japanese,
            !pauseSkipped(),
            ownConsole(),
            console};
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
