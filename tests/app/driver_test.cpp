// The driver through its conversion contract and a recording platform: usage, the extension
// rule, and the report of every status.
#include "app/driver.h"

#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <functional>

namespace qlx::app {
namespace {

using platform::Signal;

// What one run did, as text: its console output, then "!" and the signal, "~" and the pause,
// "L" where the locale was set, and each conversion called. A conversion returns the status
// that `statusOf` gives its path.
std::string runWith(const std::vector<platform::Argument>& arguments,
                    const std::function<Status(const std::string&)>& statusOf,
                    int* exit = nullptr) {
    std::string log;
    const platform::Platform fake{
        [&](std::string_view bytes) { log += bytes; },
        [&](Signal signal) { log += signal == Signal::Information ? "!info" : "!error"; },
        [&](std::chrono::milliseconds ms) { log += "~" + std::to_string(ms.count()); },
        [&] { log += "L"; }};
    auto conversion = [&](const char* kind) {
        return [&, kind](const std::filesystem::path& path) {
            log += kind + path.string() + "|";
            return statusOf(path.string());
        };
    };
    const int result = runDriver(arguments, {conversion("export:"), conversion("import:")}, fake);
    if (exit != nullptr) {
        *exit = result;
    }
    return log;
}

std::string runOnce(const platform::Argument& argument, Status status, int* exit = nullptr) {
    return runWith(
        {argument}, [&](const std::string&) { return status; }, exit);
}

TEST(Driver, ChoosesDirectionByTheLastDotExactly) {
    EXPECT_EQ(runWith({}, [](const std::string&) { return Status::Ok; }),
              "QLXConverter Usage : \n\tConvert csv->qlx\n\t>QLXConverter.exe filename.csv \n\n"
              "\tConvert qlx->csv\n   >QLXConverter.exe filename.qlx\n");
    const std::string refused = std::string(statusMessage(Status::BadExtension)) + "\n!error~5000";
    for (const auto& [path, call] : std::vector<std::pair<std::string, std::string>>{
             {"take.qlx", "export:take.qlx|"},
             {"take.csv", "import:take.csv|"},
             {"a.b/take.qlx", "export:a.b/take.qlx|"},
             {"a.qlx/take.csv", "import:a.qlx/take.csv|"},
             {"take", ""},
             {"a.qlx/take", ""},
             {"take.QLX", ""},
             {"take.qlx ", ""},
             {"take.qlx.bak", ""},
             {"take.ql", ""},
             {"take.qlxx", ""},
             {"", ""}}) {
        int exit = 0;
        const std::string log = runOnce(platform::Argument{path, "echo"}, Status::Ok, &exit);
        EXPECT_EQ(log.substr(0, 6 + call.size()), "Lecho\n" + call) << path;
        EXPECT_EQ(exit, call.empty() ? -4 : 0) << path;
        EXPECT_TRUE(!call.empty() || log.substr(6) == refused) << path;
    }
}

// A message as the system's own converter writes its Japanese text in code page 932.
std::string shiftJis(std::string_view utf8) {
    std::string bytes;
    for (std::size_t i = 0; i < utf8.size(); i += 3) { // every character here takes three bytes
        const auto byte = [&](std::size_t k) { return char32_t(std::uint8_t(utf8[i + k])); };
        const auto code = test::systemShiftJisCode((byte(0) & 0x0F) << 12 | (byte(1) & 0x3F) << 6 |
                                                   (byte(2) & 0x3F));
        bytes += {static_cast<char>(code.value_or(0) >> 8), static_cast<char>(code.value_or(0))};
    }
    return bytes;
}

TEST(Driver, ReportsEveryStatus) {
    const std::string unknown = shiftJis("原因不明なエラー");
    const struct {
        int status;
        std::string message;
    } cases[] = {
        {0, shiftJis("正常終了しました")},
        {-1, shiftJis("ファイルオープンエラー")},
        {-2, shiftJis("内部エラー")},
        {-3, shiftJis("ファイル書き込みエラー")},
        {-4, shiftJis("ファイル拡張子が違います")},
        {1, unknown},
        {-5, unknown},
        {-2147483647 - 1, unknown},
    };
    for (const auto& c : cases) {
        int exit = 0;
        EXPECT_EQ(runOnce(platform::Argument{"dir/take.csv", "echo"}, static_cast<Status>(c.status),
                          &exit),
                  "Lecho\nimport:dir/take.csv|" + c.message + "\n" +
                      (c.status == 0 ? "!info" : "!error") + "~5000");
        EXPECT_EQ(exit, c.status);
    }
}

// Each file is echoed, converted and reported in turn; one signal and one pause end the run, and
// the first failure, wherever it stands, is the exit status.
TEST(Driver, ConvertsSeveralFilesInOrder) {
    const auto message = [](Status status) { return std::string(statusMessage(status)) + "\n"; };
    const struct {
        std::vector<Status> statuses; // of a.qlx, b.csv, c.qlx in turn
        int exit;
    } cases[] = {
        {{Status::Ok, Status::Ok, Status::Ok}, 0},
        {{Status::OpenError, Status::Ok, Status::WriteError}, -1},
        {{Status::Ok, Status::Incomplete, Status::WriteError}, -2},
        {{Status::Ok, Status::Ok, Status::OutOfMemory}, -5},
    };
    const std::vector<platform::Argument> arguments = {
        {"a.qlx", "A"}, {"b.csv", "B"}, {"c.qlx", "C"}, {"d.txt", "D"}};
    for (const auto& c : cases) {
        int exit = 1;
        const std::string log = runWith(
            {arguments.begin(), arguments.begin() + 3},
            [&](const std::string& path) { return c.statuses[std::size_t(path[0] - 'a')]; }, &exit);
        EXPECT_EQ(log, "LA\nexport:a.qlx|" + message(c.statuses[0]) + "B\nimport:b.csv|" +
                           message(c.statuses[1]) + "C\nexport:c.qlx|" + message(c.statuses[2]) +
                           (c.exit == 0 ? "!info" : "!error") + "~5000");
        EXPECT_EQ(exit, c.exit);
    }
    // A wrong extension counts as a failure like any other, and stops nothing.
    int exit = 1;
    const std::string log = runWith(
        {arguments[3], arguments[0]}, [](const std::string&) { return Status::Ok; }, &exit);
    EXPECT_EQ(log, "LD\n" + message(Status::BadExtension) + "A\nexport:a.qlx|" +
                       message(Status::Ok) + "!error~5000");
    EXPECT_EQ(exit, -4);
}

} // namespace
} // namespace qlx::app
