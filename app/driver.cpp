// The command-line driver.
#include "app/driver.h"

#include "app/messages.h"
#include "convert/extension.h"
#include "csv/text_encoding.h"

#include <algorithm>
#include <initializer_list>
#include <string>

#include <chrono>

namespace qlx::app {

namespace {

constexpr std::string_view kUsage = "QLXConverter Usage : \n"
                                    "\tConvert csv->qlx\n"
                                    "\t>QLXConverter.exe filename.csv \n"
                                    "\n"
                                    "\tConvert qlx->csv\n"
                                    "   >QLXConverter.exe filename.qlx\n";

} // namespace

std::string_view statusMessage(Status status) {
    switch (status) {
    case Status::Ok: // 正常終了しました (finished normally)
        return "\x90\xB3\x8F\xED\x8F\x49\x97\xB9\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
    case Status::OpenError: // ファイルオープンエラー (file open error)
        return "\x83\x74\x83\x40\x83\x43\x83\x8B\x83\x49\x81\x5B\x83\x76\x83\x93\x83\x47\x83\x89"
               "\x81\x5B";
    case Status::Incomplete: // 内部エラー (internal error)
        return "\x93\xE0\x95\x94\x83\x47\x83\x89\x81\x5B";
    case Status::WriteError: // ファイル書き込みエラー (file write error)
        return "\x83\x74\x83\x40\x83\x43\x83\x8B\x8F\x91\x82\xAB\x8D\x9E\x82\xDD\x83\x47\x83\x89"
               "\x81\x5B";
    case Status::BadExtension: // ファイル拡張子が違います (the file extension is wrong)
        return "\x83\x74\x83\x40\x83\x43\x83\x8B\x8A\x67\x92\xA3\x8E\x71\x82\xAA\x88\xE1\x82\xA2"
               "\x82\xDC\x82\xB7";
    case Status::OutOfMemory:
        break;
    }
    // 原因不明なエラー (error of unknown cause)
    return "\x8C\xB4\x88\xF6\x95\x73\x96\xBE\x82\xC8\x83\x47\x83\x89\x81\x5B";
}

namespace {

Report convertOne(const platform::Argument& argument, const Conversions& conversions) {
    if (convert::hasExtension(argument.path, ".qlx")) {
        return conversions.exportToCsv(argument.path);
    }
    if (convert::hasExtension(argument.path, ".csv")) {
        return conversions.importFromCsv(argument.path);
    }
    return {Status::BadExtension, {}, {}};
}

bool asks(const platform::Argument& argument, std::initializer_list<std::string_view> options) {
    const std::string& text = argument.echo;
    return std::ranges::find(options, std::string_view(text)) != options.end();
}

// What the run writes to standard error: the file's path, the status message, and what went
// wrong and where, each as the console can show it.
class Console {
public:
    explicit Console(const platform::Platform& platform) : platform_(platform) {}

    void path(const platform::Argument& argument) const {
        if (platform_.unicode) {
            const std::u8string utf8 = argument.path.u8string();
            write(std::string(utf8.begin(), utf8.end()) + "\n");
        } else {
            write(argument.echo + "\n");
        }
    }
    // Code page 932 bytes.
    void message(std::string_view shiftJis) const {
        write((platform_.unicode ? csv::utf8FromShiftJis(shiftJis) : std::string(shiftJis)) + "\n");
    }
    // A line of UTF-8 text.
    void line(const std::string& utf8) const {
        write((platform_.unicode ? utf8 : csv::shiftJisFromUtf8Text(utf8)) + "\n");
    }
    // Indented under the message.
    void detail(const std::string& utf8) const { line("  " + utf8); }
    void write(std::string_view text) const { platform_.writeError(text); }

private:
    const platform::Platform& platform_;
};

} // namespace

int runDriver(std::span<const platform::Argument> arguments, const Conversions& conversions,
              const platform::Platform& platform) {
    const Console console(platform);
    const Language language = platform.japanese ? Language::Japanese : Language::English;
    if (arguments.empty()) {
        console.write(kUsage);
        // Started from the file manager, the window would close before the text could be read.
        if (platform.ownConsole && platform.pauses) {
            platform.pause(std::chrono::milliseconds(5000));
        }
        return 0;
    }
    if (std::ranges::any_of(arguments, [](const auto& a) {
            return asks(a, {"--help", "-h", "/?"});
        })) {
        console.write(kUsage);
        console.line("\n" + noPauseHelp(language));
        return 0;
    }
    if (std::ranges::any_of(arguments, [](const auto& a) { return asks(a, {"--version"}); })) {
        console.write(std::string("QLXConverter ") + QLX_VERSION + "\n");
        return 0;
    }
    platform.useJapaneseLocale();
    // A file that fails does not stop the ones after it; the first failure is the exit status.
    Status first = Status::Ok;
    for (const auto& argument : arguments) {
        console.path(argument);
        const Report report = convertOne(argument, conversions);
        console.message(statusMessage(report.status));
        for (const std::string& line : describe(report, language)) {
            console.detail(line);
        }
        first = first == Status::Ok ? report.status : first;
    }
    platform.signal(first == Status::Ok ? platform::Signal::Information : platform::Signal::Error);
    if (platform.pauses) {
        platform.pause(std::chrono::milliseconds(5000));
    }
    return static_cast<int>(first);
}

} // namespace qlx::app
