// The platform layer on POSIX systems: the bell stands in for the Windows message sound.
#include "platform/process.h"

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <langinfo.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace qlx::platform {

namespace {

void writeError(std::string_view bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    std::fflush(stderr);
}

// Only a terminal hears the bell; piped output stays exactly the message bytes.
void ringBell(Sound) {
    if (isatty(STDERR_FILENO) != 0) {
        writeError("\a");
    }
}

void pause(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

// The first of the variables that is set, as the C library looks them up.
std::string_view environment(std::initializer_list<const char*> names) {
    for (const char* name : names) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return value;
        }
    }
    return {};
}

// The terminal's character set is the one its user's locale names; a locale that the system
// does not have still names it after its dot ("ja_JP.UTF-8").
bool utf8Terminal() {
    if (isatty(STDERR_FILENO) == 0) {
        return false;
    }
    const std::string previous = std::setlocale(LC_CTYPE, nullptr);
    if (std::setlocale(LC_CTYPE, "") != nullptr) {
        const bool utf8 = std::string_view(nl_langinfo(CODESET)) == "UTF-8";
        std::setlocale(LC_CTYPE, previous.c_str());
        return utf8;
    }
    std::string name(environment({"LC_ALL", "LC_CTYPE", "LANG"}));
    std::ranges::transform(name, name.begin(),
                           [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
    return name.ends_with(".utf-8") || name.ends_with(".utf8");
}

// The first of LC_ALL, LC_MESSAGES and LANG that is set names the language of messages.
bool japaneseUser() {
    return environment({"LC_ALL", "LC_MESSAGES", "LANG"}).starts_with("ja");
}

} // namespace

Platform systemPlatform() {
    return {writeError,     ringBell,        pause, utf8Terminal(),
            japaneseUser(), !pauseSkipped(), false, isatty(STDERR_FILENO) != 0};
}

std::vector<Argument> arguments(int argc, char** argv) {
    std::vector<Argument> all;
    for (int i = 1; i < argc; ++i) {
        all.push_back({std::filesystem::path(argv[i]), argv[i]});
    }
    return all;
}

} // namespace qlx::platform
