// The real executable, run as a user runs it. Each conversion pauses five seconds, so there are
// few of these and CTest runs them side by side.
#include "tests/support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>

namespace qlx::test {
namespace {

struct Outcome {
    int exitStatus;
    std::string errorText;
};

Outcome run(const ScratchDir& dir, const std::string& arguments) {
    const auto errorFile = dir / "stderr.txt";
    const std::string command =
        std::string("'") + QLX_EXECUTABLE + "' " + arguments + " 2>'" + errorFile.string() + "'";
    const int raw = std::system(command.c_str());
    Outcome outcome{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1000, readBytes(errorFile)};
    std::filesystem::remove(errorFile);
    return outcome;
}

TEST(Executable, PrintsUsageWithoutArgument) {
    ScratchDir dir;
    const auto outcome = run(dir, "");
    EXPECT_EQ(outcome.exitStatus, 0);
    EXPECT_EQ(outcome.errorText, "QLXConverter Usage : \n\tConvert csv->qlx\n"
                                 "\t>QLXConverter.exe filename.csv \n\n\tConvert qlx->csv\n"
                                 "   >QLXConverter.exe filename.qlx\n");
}

TEST(Executable, RefusesAnUnknownExtension) {
    ScratchDir dir;
    const auto outcome = run(dir, "notes.txt ignored.qlx");
    EXPECT_EQ(outcome.exitStatus, 256 - 4);
    EXPECT_EQ(outcome.errorText, "notes.txt\n\x83\x74\x83\x40\x83\x43\x83\x8B\x8A\x67\x92\xA3\x8E"
                                 "\x71\x82\xAA\x88\xE1\x82\xA2\x82\xDC\x82\xB7\n");
}

const std::string kFinished = "\x90\xB3\x8F\xED\x8F\x49\x97\xB9\x82\xB5\x82\xDC\x82\xB5\x82\xBD\n";

// A CSV with a Japanese bone name goes to a binary file and back to the same CSV.
TEST(Executable, ConvertsBothWays) {
    ScratchDir dir;
    const std::string csv = "Quorlane Motion Data 0002,0\r\n\x90\x58\x96\xEC\r\n1\r\n"
                            "\x93\xAA,3,1,2,3,-0,0,0,0x" +
                            std::string(128, 'A') + "\r\n0\r\n0\r\n0\r\n";
    std::filesystem::create_directory(dir / "a b.c");
    writeBytes(dir / "a b.c" / "take.csv", csv);
    const std::string path = (dir / "a b.c" / "take.csv").string();
    auto outcome = run(dir, "'" + path + "'");
    EXPECT_EQ(outcome.exitStatus, 0);
    EXPECT_EQ(outcome.errorText, path + "\n" + kFinished);
    ASSERT_TRUE(std::filesystem::exists(dir / "a b.c" / "take.qlx"));

    std::filesystem::remove(dir / "a b.c" / "take.csv");
    const std::string binary = (dir / "a b.c" / "take.qlx").string();
    outcome = run(dir, "'" + binary + "'");
    EXPECT_EQ(outcome.exitStatus, 0);
    EXPECT_EQ(readBytes(dir / "a b.c" / "take.csv"), csv);
}

TEST(Executable, ReportsAMissingFile) {
    ScratchDir dir;
    const auto outcome = run(dir, "'" + (dir / "missing.qlx").string() + "'");
    EXPECT_EQ(outcome.exitStatus, 256 - 1);
    EXPECT_EQ(outcome.errorText.substr(outcome.errorText.size() - 23),
              "\x83\x74\x83\x40\x83\x43\x83\x8B\x83\x49\x81\x5B\x83\x76\x83\x93\x83\x47\x83"
              "\x89\x81\x5B\n");
    EXPECT_EQ(dir.entries().size(), 0u);
}

} // namespace
} // namespace qlx::test
