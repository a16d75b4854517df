// The driver through its conversion contract and a recording platform: usage, the extension
// rule, each file's message, and one signal, one pause and the first failure for the run.
#include "app/driver.h"
#include "app/messages.h"

#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <map>

namespace qlx::app {
namespace {

using platform::Sound;

// What a run did, as text: its console output, each conversion
// called, "!" and the signal, "~" and the pause, and "=" and the exit status. Each path is
// echoed as itself; its conversion returns the status that `statuses` gives it, or Ok.
std::string run(const std::vector<std::string>& paths,
                const std::map<std::string, Status>& statuses = {}) {
    std::string log;
    const platform::Platform fake{
        [&](std::string_view bytes) { log += bytes; },
        [&](Sound sound) { log += sound == Sound::Information ? "!info" : "!error"; },
        [&](std::chrono::milliseconds ms) { log += "~" + std::to_string(ms.count()); }};
    const auto conversion = [&](const char* kind) {
        return [&, kind](const std::filesystem::path& path) {
            log += kind + path.string() + "|";
            const auto status = statuses.find(path.string());
            return Report{status == statuses.end() ? Status::Ok : status->second, {}, {}};
        };
    };
    std::vector<platform::Argument> arguments;
    for (const auto& path : paths) {
        arguments.push_back({path, path});
    }
    const int exit = runDriver(arguments, {conversion("export:"), conversion("import:")}, fake);
    return log + "=" + std::to_string(exit);
}

// The status messages as the user sees them, not as the code under test spells them.
std::string message(Status status) {
    return test::systemShiftJis(status == Status::Ok ? "正常終了しました"
                                                     : "ファイル拡張子が違います") +
           "\n";
}

TEST(Driver, ChoosesDirectionByTheLastDotExactly) {
    EXPECT_EQ(run({}),
              "QLXConverter Usage : \n\tConvert csv->qlx\n\t>QLXConverter.exe filename.csv "
              "\n\n\tConvert qlx->csv\n   >QLXConverter.exe filename.qlx\n=0");
    // The rule itself is the extension's; here, that each answer picks its pipeline.
    const std::vector<std::pair<std::string, std::string>> calls = {
        {"take.qlx", "export:"}, {"TAKE.Csv", "import:"}, {"a.qlx/take.csv", "import:"},
        {"a.qlx/take", ""},      {"take.qlx.bak", ""},    {"", ""}};
    for (const auto& [path, call] : calls) {
        EXPECT_EQ(run({path}),
                  path + "\n" +
                      (call.empty() ? message(Status::BadExtension) +
                                          "  only a name that ends in .qlx or .csv is converted\n"
                                          "!error~5000=-4"
                                    : call + path + "|" + message(Status::Ok) + "!info~5000=0"))
            << path;
    }
}

// --help, -h and /? answer with the usage text, --version with the version, at once: nothing is
// converted, and there is no signal and no pause. Any other argument is a file.
TEST(Driver, HelpAndVersionAnswerAtOnce) {
    const std::string usage = run({}).substr(0, run({}).size() - 2);
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--help"}, {"-h"}, {"/?"}, {"take.qlx", "--help"}}) {
        EXPECT_EQ(run(arguments), usage + "\nSet QLXCONVERTER_NO_PAUSE=1 to end without the "
                                          "five-second pause (for scripts).\n=0");
    }
    const std::string version = run({"--version"});
    EXPECT_TRUE(version.starts_with("QLXConverter ") && version.ends_with("\n=0")) << version;
    EXPECT_EQ(run({"--helps"}).substr(0, 10), "--helps\n\x83\x74");
}

std::string shiftJis(std::string_view utf8) {
    return test::systemShiftJis(utf8);
}

// Each file is echoed, converted and reported in turn, whatever the files before it did; one
// signal and one pause end the run, and the first failure is its exit status.
TEST(Driver, ReportsEachFileAndTheFirstFailure) {
    const std::string unknown = shiftJis("原因不明なエラー");
    const std::vector<std::pair<Status, std::string>> reports = {
        {Status::Ok, shiftJis("正常終了しました")},
        {Status::OpenError, shiftJis("ファイルオープンエラー")},
        {Status::RowsNotAMotion, shiftJis("内部エラー")},
        {Status::WriteError, shiftJis("ファイル書き込みエラー")},
        {Status::BadExtension, shiftJis("ファイル拡張子が違います")},
        {Status{1}, unknown},
        {Status::OutOfMemory, unknown},
        {Status{-2147483647 - 1}, unknown}};
    std::vector<std::string> paths;
    std::map<std::string, Status> statuses;
    std::string log;
    for (const auto& [status, text] : reports) {
        const std::string path = std::to_string(paths.size()) + ".csv";
        paths.push_back(path);
        statuses[path] = status;
        log += path + "\nimport:" + path + "|" + text + "\n";
        if (status == Status::BadExtension) {
            log += "  only a name that ends in .qlx or .csv is converted\n";
        }
    }
    EXPECT_EQ(run(paths, statuses), log + "!error~5000=-1");
}

} // namespace
} // namespace qlx::app
