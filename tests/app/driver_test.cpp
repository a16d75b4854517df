// The driver through its conversion contract and a recording platform: usage, extension
// rules, and the report of every status.
#include "app/driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qlx::app {
namespace {

struct Recorder {
    std::string errorText;
    std::vector<Signal> signals;
    std::vector<long long> pauses;
    int localeCalls = 0;
    std::vector<std::string> calls; // "export:path" or "import:path"
    int status = 0;

    Platform platform() {
        return {[this](std::string_view bytes) { errorText += bytes; },
                [this](Signal signal) { signals.push_back(signal); },
                [this](std::chrono::milliseconds ms) { pauses.push_back(ms.count()); },
                [this] {
                    EXPECT_TRUE(errorText.empty()) << "the locale is set before the echo";
                    ++localeCalls;
                }};
    }
    Conversions conversions() {
        return {[this](const std::filesystem::path& path) {
                    calls.push_back("export:" + path.string());
                    return status;
                },
                [this](const std::filesystem::path& path) {
                    calls.push_back("import:" + path.string());
                    return status;
                }};
    }
    int run(const std::string& path) {
        return runDriver(Argument{path, path}, conversions(), platform());
    }
};

TEST(Driver, WithoutArgumentPrintsUsageOnly) {
    Recorder recorder;
    EXPECT_EQ(runDriver(std::nullopt, recorder.conversions(), recorder.platform()), 0);
    EXPECT_EQ(recorder.errorText, "QLXConverter Usage : \n"
                                  "\tConvert csv->qlx\n"
                                  "\t>QLXConverter.exe filename.csv \n"
                                  "\n"
                                  "\tConvert qlx->csv\n"
                                  "   >QLXConverter.exe filename.qlx\n");
    EXPECT_TRUE(recorder.signals.empty());
    EXPECT_TRUE(recorder.pauses.empty());
    EXPECT_EQ(recorder.localeCalls, 0);
    EXPECT_TRUE(recorder.calls.empty());
}

TEST(Driver, ChoosesDirectionByLastDotExactly) {
    struct Case {
        std::string path;
        std::string call; // empty: no conversion, status -4
    };
    const Case cases[] = {
        {"take.qlx", "export:take.qlx"},
        {"take.csv", "import:take.csv"},
        {"a.b/take.qlx", "export:a.b/take.qlx"},
        {"a.qlx/take.csv", "import:a.qlx/take.csv"},
        {".qlx", "export:.qlx"},
        {"take", ""},
        {"a.b/take", ""},
        {"a.qlx/take", ""},
        {"take.txt", ""},
        {"take.QLX", ""},
        {"take.Csv", ""},
        {"take.qlx ", ""},
        {"take.qlx.bak", ""},
        {"take.ql", ""},
        {"take.qlxx", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        Recorder recorder;
        recorder.status = 0;
        const int exit = recorder.run(c.path);
        if (c.call.empty()) {
            EXPECT_TRUE(recorder.calls.empty()) << c.path;
            EXPECT_EQ(exit, -4) << c.path;
            EXPECT_EQ(recorder.errorText, c.path + "\n" + std::string(statusMessage(-4)) + "\n");
        } else {
            EXPECT_EQ(recorder.calls, std::vector<std::string>{c.call}) << c.path;
            EXPECT_EQ(exit, 0) << c.path;
        }
        EXPECT_EQ(recorder.localeCalls, 1) << c.path;
        EXPECT_EQ(recorder.pauses, std::vector<long long>{5000}) << c.path;
    }
}

TEST(Driver, ReportsEveryStatus) {
    struct Case {
        int status;
        std::string message; // code page 932 bytes
        Signal signal;
    };
    const std::string unknown = "\x8C\xB4\x88\xF6\x95\x73\x96\xBE\x82\xC8\x83\x47\x83\x89\x81\x5B";
    const Case cases[] = {
        {0, "\x90\xB3\x8F\xED\x8F\x49\x97\xB9\x82\xB5\x82\xDC\x82\xB5\x82\xBD",
         Signal::Information},
        {-1,
         "\x83\x74\x83\x40\x83\x43\x83\x8B\x83\x49\x81\x5B\x83\x76\x83\x93\x83\x47\x83\x89\x81"
         "\x5B",
         Signal::Error},
        {-2, "\x93\xE0\x95\x94\x83\x47\x83\x89\x81\x5B", Signal::Error},
        {-3,
         "\x83\x74\x83\x40\x83\x43\x83\x8B\x8F\x91\x82\xAB\x8D\x9E\x82\xDD\x83\x47\x83\x89\x81"
         "\x5B",
         Signal::Error},
        {-4,
         "\x83\x74\x83\x40\x83\x43\x83\x8B\x8A\x67\x92\xA3\x8E\x71\x82\xAA\x88\xE1\x82\xA2\x82"
         "\xDC\x82\xB7",
         Signal::Error},
        {1, unknown, Signal::Error},
        {-5, unknown, Signal::Error},
        {-2147483647 - 1, unknown, Signal::Error},
    };
    for (const auto& c : cases) {
        Recorder recorder;
        recorder.status = c.status;
        EXPECT_EQ(recorder.run("dir/take.csv"), c.status);
        EXPECT_EQ(recorder.errorText, "dir/take.csv\n" + c.message + "\n") << c.status;
        EXPECT_EQ(recorder.signals, std::vector<Signal>{c.signal}) << c.status;
        EXPECT_EQ(recorder.pauses, std::vector<long long>{5000}) << c.status;
    }
}

} // namespace
} // namespace qlx::app
