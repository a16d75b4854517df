// The command-line driver.
#include "app/driver.h"

#include "app/messages.h"
#include "convert/extension.h"
#include "csv/text_encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>

#include <chrono>

namespace qlx::app {

namespace {

bool asks(const platform::Argument& argument, std::initializer_list<std::string_view> options) {
    const std::string& text = argument.echo;
    return std::ranges::find(options, std::string_view(text)) != options.end();
}

// On a terminal, a text's control characters as `ls` shows them (\x1b), so that a file's name or
// bytes cannot drive the terminal: those of ASCII, and in UTF-8 text the C1 controls too.
std::string shownSafely(std::string_view text, bool utf8) {
    std::string shown;
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool c1 = utf8 && byte(i) == 0xC2 && i + 1 < text.size() && byte(i + 1) >= 0x80 &&
                        byte(i + 1) < 0xA0;
        const std::size_t control = c1 ? 2 : byte(i) < 0x20 || byte(i) == 0x7F ? 1 : 0;
        if (control == 0) {
            shown += text[i];
            continue;
        }
        for (std::size_t k = i; k < i + control; ++k) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte(k));
            shown += escaped;
        }
        i += control - 1;
    }
    return shown;
}

// What the run writes to standard error: the file's path, the status message, and what went
// wrong and where, each as the console can show it, and safely on a terminal.
class Console {
public:
    explicit Console(const platform::Platform& platform) : platform_(platform) {}

    void path(const platform::Argument& argument) const {
        std::string text = argument.echo;
        if (platform_.unicode) {
            const std::u8string utf8 = argument.path.u8string();
            text.assign(utf8.begin(), utf8.end());
        }
        write((platform_.terminal ? shownSafely(text, platform_.unicode) : text) + "\n");
    }
    // A line of UTF-8 text.
    void line(const std::string& utf8) const {
        const std::string text = platform_.terminal ? shownSafely(utf8, true) : utf8;
        write((platform_.unicode ? text : csv::shiftJisFromUtf8Text(text)) + "\n");
    }
    // Indented under the message.
    void detail(const std::string& utf8) const { line("  " + utf8); }
    void write(std::string_view text) const { platform_.writeError(text); }

private:
    const platform::Platform& platform_;
};

} // namespace

Report convertOne(const std::filesystem::path& path, const Conversions& conversions) {
    if (convert::hasExtension(path, ".qlx")) {
        return conversions.exportToCsv(path);
    }
    if (convert::hasExtension(path, ".csv")) {
        return conversions.importFromCsv(path);
    }
    return {Status::BadExtension, {}, {}};
}

int runDriver(std::span<const platform::Argument> arguments, const Conversions& conversions,
              const platform::Platform& platform) {
    const Console console(platform);
    const Language language = platform.japanese ? Language::Japanese : Language::English;
    if (arguments.empty()) {
        console.write(usageText());
        // Started from the file manager, the window would close before the text could be read.
        if (platform.ownConsole && platform.pauses) {
            platform.pause(std::chrono::milliseconds(5000));
        }
        return 0;
    }
    if (std::ranges::any_of(arguments, [](const auto& a) {
            return asks(a, {"--help", "-h", "/?"});
        })) {
        console.write(usageText());
        console.line("\n" + noPauseHelp(language));
        return 0;
    }
    if (std::ranges::any_of(arguments, [](const auto& a) { return asks(a, {"--version"}); })) {
        console.write(std::string("QLXConverter ") + QLX_VERSION + "\n");
        return 0;
    }
    // A file that fails does not stop the ones after it; the first failure is the exit status.
    Status first = Status::Ok;
    for (const auto& argument : arguments) {
        console.path(argument);
        const Report report = convertOne(argument.path, conversions);
        console.line(statusText(report.status));
        for (const std::string& line : describe(report, language)) {
            console.detail(line);
        }
        first = first == Status::Ok ? report.status : first;
    }
    platform.beep(first == Status::Ok ? platform::Sound::Information : platform::Sound::Error);
    if (platform.pauses) {
        platform.pause(std::chrono::milliseconds(5000));
    }
    return static_cast<int>(first);
}

} // namespace qlx::app
