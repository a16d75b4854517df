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
    const std::string command = std::string("'") + QLX_EXECUTABLE + "' " + arguments + " 2>'" +
                                errorFile.string() + "'";
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

} // namespace
} // namespace qlx::test
