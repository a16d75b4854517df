// The process's dealings with the system: console output, the sound at the end, the pause and the
// command line. The driver takes them as functions, so tests swap them.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qlx::platform {

// The sound that ends a run, as the Windows message sounds number them.
enum class Sound : unsigned {
    Information = 0x40, // success
    Error = 0x10,       // any failure
};

struct Platform {
    // Bytes to standard error, flushed: UTF-8 where `unicode` says so, code page 932 otherwise.
    std::function<void(std::string_view)> writeError;
    std::function<void(Sound)> beep;
    std::function<void(std::chrono::milliseconds)> pause;
    // Standard error shows UTF-8 text: a terminal whose character set is UTF-8, or a Windows
    // console, which shows every character. A file or a pipe keeps code page 932.
    bool unicode = false;
    // The user's language is Japanese (the interface language on Windows; LC_ALL, LC_MESSAGES
    // or LANG elsewhere).
    bool japanese = false;
    // The pause after a run, unless QLXCONVERTER_NO_PAUSE is set (to anything but 0).
    bool pauses = true;
    // The console closes with the program (a Windows console that the program alone uses, as
    // when it was started from the file manager), so text on it is gone when the program ends.
    bool ownConsole = false;
    // Standard error is a terminal or a console, which control characters would drive.
    bool terminal = false;
};

// A number nobody can work out before the run, for a hash keyed afresh each run: from the
// system's source of entropy, or the clock where there is none.
std::uint64_t unguessable();

// Whether the environment asks for no pause: QLXCONVERTER_NO_PAUSE set to anything but "" or 0.
bool pauseSkipped();

// The program's argument: the path to open, and its bytes as the console is to echo them
// (code page 932 where it holds Japanese characters).
struct Argument {
    std::filesystem::path path;
    std::string echo;
};

Platform systemPlatform();

// The process's arguments after the program's name, in the order given.
std::vector<Argument> arguments(int argc, char** argv);

} // namespace qlx::platform
