// The driver through its conversion contract and a recording platform: usage, the extension
// rule, and the report of every status.
#include "app/driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qlx::app {
namespace {

using platform::Signal;

struct Recorder {
    std::string errorText;
    std::vector<Signal> signals;
    std::vector<long long> pauses;
    int localeCalls = 0;
    std::vector<std::string> calls; // "export:path" or "import:path"
    Status status = Status::Ok;

    int run(const std::optional<platform::Argument>& argument) {
        const platform::Platform fake{
            [this](std::string_view bytes) { errorText += bytes; },
            [this](Signal signal) { signals.push_back(signal); },
            [this](std::chrono::milliseconds ms) { pauses.push_back(ms.count()); },
            [this] {
                EXPECT_TRUE(errorText.empty()) << "the locale is set before the echo";
                ++localeCalls;
            }};
        auto conversion = [this](const char* kind) {
            return [this, kind](const std::filesystem::path& path) {
                calls.push_back(kind + path.string());
                return status;
            };
        };
        return runDriver(argument, {conversion("export:"), conversion("import:")}, fake);
    }
};

TEST(Driver, WithoutArgumentPrintsUsageOnly) {
    Recorder recorder;
    EXPECT_EQ(recorder.run(std::nullopt), 0);
    EXPECT_EQ(recorder.errorText, "QLXConverter Usage : \n\tConvert csv->qlx\n"
                                  "\t>QLXConverter.exe filename.csv \n\n\tConvert qlx->csv\n"
                                  "   >QLXConverter.exe filename.qlx\n");
    EXPECT_TRUE(recorder.signals.empty() && recorder.pauses.empty() && recorder.calls.empty());
    EXPECT_EQ(recorder.localeCalls, 0);
}

TEST(Driver, ChoosesDirectionByTheLastDotExactly) {
    const struct {
        std::string path;
        std::string call; // empty: no conversion, the extension is refused
    } cases[] = {
        {"take.qlx", "export:take.qlx"},
        {"take.csv", "import:take.csv"},
        {"a.b/take.qlx", "export:a.b/take.qlx"},
        {"a.qlx/take.csv", "import:a.qlx/take.csv"},
        {"take", ""},
        {"a.qlx/take", ""},
        {"take.QLX", ""},
        {"take.qlx ", ""},
        {"take.qlx.bak", ""},
        {"take.ql", ""},
        {"take.qlxx", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        Recorder recorder;
        const int exit = recorder.run(platform::Argument{c.path, c.path});
        EXPECT_EQ(recorder.calls,
                  c.call.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.call})
            << c.path;
        EXPECT_EQ(exit, c.call.empty() ? -4 : 0) << c.path;
        EXPECT_EQ(recorder.localeCalls, 1) << c.path;
    }
}

TEST(Driver, ReportsEveryStatus) {
    const std::string unknown = "\x8C\xB4\x88\xF6\x95\x73\x96\xBE\x82\xC8\x83\x47\x83\x89\x81\x5B";
    const struct {
        int status;
        std::string message; // code page 932 bytes
    } cases[] = {
        {0, "\x90\xB3\x8F\xED\x8F\x49\x97\xB9\x82\xB5\x82\xDC\x82\xB5\x82\xBD"},
        {-1, "\x83\x74\x83\x40\x83\x43\x83\x8B\x83\x49\x81\x5B\x83\x76\x83\x93\x83\x47\x83\x89"
             "\x81\x5B"},
        {-2, "\x93\xE0\x95\x94\x83\x47\x83\x89\x81\x5B"},
        {-3, "\x83\x74\x83\x40\x83\x43\x83\x8B\x8F\x91\x82\xAB\x8D\x9E\x82\xDD\x83\x47\x83\x89"
             "\x81\x5B"},
        {-4, "\x83\x74\x83\x40\x83\x43\x83\x8B\x8A\x67\x92\xA3\x8E\x71\x82\xAA\x88\xE1\x82\xA2"
             "\x82\xDC\x82\xB7"},
        {1, unknown},
        {-5, unknown},
        {-2147483647 - 1, unknown},
    };
    for (const auto& c : cases) {
        Recorder recorder;
        recorder.status = static_cast<Status>(c.status);
        EXPECT_EQ(recorder.run(platform::Argument{"dir/take.csv", "echo"}), c.status);
        EXPECT_EQ(recorder.errorText, "echo\n" + c.message + "\n") << c.status;
        EXPECT_EQ(recorder.signals,
                  std::vector<Signal>{c.status == 0 ? Signal::Information : Signal::Error});
        EXPECT_EQ(recorder.pauses, std::vector<long long>{5000}) << c.status;
    }
}

} // namespace
} // namespace qlx::app
