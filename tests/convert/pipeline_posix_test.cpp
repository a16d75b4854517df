// What only a POSIX system can show of the conversions: exhausted memory, in a child process given
// a small address space, and an input cut while it is read.
#include "convert/conversion.h"
#include "convert/pipeline_steps.h"

#include "motion/motion_file.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qlx::convert {
namespace {

using test::readBytes;
using test::ScratchDir;
using test::writeBytes;

#ifndef __SANITIZE_ADDRESS__ // the sanitizer reserves more address space than the limit below
// Exhausted memory ends the conversion with a status of its own, every file as it was.
TEST(OutOfMemory, IsReportedWithEveryFileAsItWas) {
    ScratchDir dir;
    ASSERT_TRUE(motion::save(motion::MotionDocument{}, dir / "big.qlx"));
    std::string bytes = readBytes(dir / "big.qlx");
    const std::uint32_t bones = 20'000'000; // 2.2 GB of records, as a sparse file
    std::memcpy(bytes.data() + motion::kHeaderSize + 20, &bones, 4);
    writeBytes(dir / "big.qlx", bytes);
    std::filesystem::resize_file(dir / "big.qlx", bytes.size() + std::uint64_t{bones} * 111);
    const pid_t child = fork();
    if (child == 0) {
        const rlimit limit{rlim_t{1} << 30, rlim_t{1} << 30};
        setrlimit(RLIMIT_AS, &limit);
        _exit(exportToCsv(dir / "big.qlx") == Status::OutOfMemory ? 0 : 1);
    }
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(dir.entries(), 1u);
}
#endif

// The bytes the file lost read as zeros, and the export gives no output.
TEST(Pipelines, AnInputCutWhileItIsReadGivesNoOutput) {
    platform::installFileGuards(); // as the program does at its start
    ScratchDir dir;
    motion::MotionDocument document;
    document.bones.resize(2000); // many pages of records
    ASSERT_TRUE(motion::save(document, dir / "take.qlx"));
    const auto input = platform::mapInput(dir / "take.qlx");
    ASSERT_TRUE(input);
    std::filesystem::resize_file(dir / "take.qlx", 4096);
    EXPECT_EQ(exportMapped(*input, dir / "take.csv"), Status::OpenError);
    EXPECT_EQ(dir.entries(), 1u);
}

} // namespace
} // namespace qlx::convert
