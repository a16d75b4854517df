// The real executable, run as a user runs it. Each conversion pauses five seconds, so there are
// few of these and CTest runs them side by side.
#include "app/driver.h"
#include "motion/motion_file.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

namespace qlx::test {
namespace {

// The exit status and the console output of one run.
std::pair<int, std::string> run(const ScratchDir& dir, const std::string& arguments) {
    const auto errorFile = dir / "stderr.txt";
    // A converter that hangs is stopped here: the test's own timeout would leave it running.
    const std::string command = std::string("timeout 30 '") + QLX_EXECUTABLE + "' " + arguments +
                                " 2>'" + errorFile.string() + "'";
    const int raw = std::system(command.c_str());
    std::pair<int, std::string> outcome{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1000,
                                        readBytes(errorFile)};
    std::filesystem::remove(errorFile);
    return outcome;
}

// Two files dropped together are both converted: a CSV with a Japanese bone name goes to a binary
// file and back to the same CSV, in a folder whose name holds a blank and a dot.
TEST(Executable, ConvertsSeveralFilesBothWays) {
    ScratchDir dir;
    const std::string csv = "Quorlane Motion Data 0002,0\r\n\x90\x58\x96\xEC\r\n1\r\n"
                            "\x93\xAA,3,1,2,3,-0,0,0,0x" +
                            std::string(128, 'A') + "\r\n0\r\n0\r\n0\r\n";
    const auto folder = dir / "a b.c";
    std::filesystem::create_directory(folder);
    writeBytes(folder / "take.csv", csv);
    ASSERT_TRUE(motion::save(motion::MotionDocument{}, folder / "empty.qlx"));
    const std::string ok(app::statusMessage(convert::Status::Ok));
    const std::string first = (folder / "take.csv").string();
    const std::string second = (folder / "empty.qlx").string();
    EXPECT_EQ(run(dir, "'" + first + "' '" + second + "'"),
              std::pair(0, first + "\n" + ok + "\n" + second + "\n" + ok + "\n"));
    EXPECT_TRUE(std::filesystem::exists(folder / "empty.csv"));
    std::filesystem::remove(folder / "take.csv");
    EXPECT_EQ(run(dir, "'" + (folder / "take.qlx").string() + "'").first, 0);
    EXPECT_EQ(readBytes(folder / "take.csv"), csv);
}

TEST(Executable, PrintsUsageOrReportsAMissingFile) {
    ScratchDir dir;
    EXPECT_EQ(run(dir, "").second.substr(0, 22), "QLXConverter Usage : \n");
    const std::string path = (dir / "missing.qlx").string();
    EXPECT_EQ(run(dir, "'" + path + "'"),
              std::pair(255, path + "\n" +
                                 std::string(app::statusMessage(convert::Status::OpenError)) +
                                 "\n"));
    EXPECT_EQ(dir.entries(), 0u);
}

} // namespace
} // namespace qlx::test
