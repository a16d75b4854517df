// The platform layer on POSIX systems: the bell stands in for the Windows message sound.
#include "platform/process.h"

#include <cstdio>
#include <locale>
#include <stdexcept>
#include <thread>
#include <unistd.h>

namespace qlx::platform {

namespace {

void writeError(std::string_view bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    std::fflush(stderr);
}

// Only a terminal hears the bell; piped output stays exactly the message bytes.
void ringBell(Signal) {
    if (isatty(STDERR_FILENO) != 0) {
        writeError("\a");
    }
}

void pause(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

// Names under which systems provide the Japanese Shift-JIS locale; many have none, and the
// program then carries on with the locale it has.
void useJapaneseLocale() {
    for (const char* name : {"ja_JP.SJIS", "ja_JP.sjis", "ja_JP.SHIFT_JIS", "ja_JP.shiftjis",
                             "ja_JP.PCK", "japanese"}) {
        try {
            std::locale::global(std::locale(name));
            return;
        } catch (const std::runtime_error&) {
        }
    }
}

} // namespace

Platform systemPlatform() {
    return {writeError, ringBell, pause, useJapaneseLocale};
}

std::vector<Argument> arguments(int argc, char** argv) {
    std::vector<Argument> all;
    for (int i = 1; i < argc; ++i) {
        all.push_back({std::filesystem::path(argv[i]), argv[i]});
    }
    return all;
}

} // namespace qlx::platform
