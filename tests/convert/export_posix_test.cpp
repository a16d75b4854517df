// What only a POSIX system can show of the export: exhausted memory, in a child process given a
// small address space, and an input cut while it is read.
#include "convert/export.h"

#include "convert/conversion.h"
#include "io/input_watch.h"
#include "motion/motion_file.h"
#include "tests/support/motion_document.h"
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
// Exhausted memory ends the conversion with a status of its own and how much it asked for, every
// file as it was.
TEST(ExportPosix, OutOfMemoryIsReportedWithEveryFileAsItWas) {
    ScratchDir dir;
    ASSERT_TRUE(test::save(test::MotionDocument{}, dir / "big.qlx"));
    std::string bytes = readBytes(dir / "big.qlx");
    const std::uint32_t bones = 20'000'000; // 2.2 GB of records, as a sparse file
    std::memcpy(bytes.data() + motion::kHeaderSize + 20, &bones, 4);
    writeBytes(dir / "big.qlx", bytes);
    std::filesystem::resize_file(dir / "big.qlx", bytes.size() + std::uint64_t{bones} * 111);
    const pid_t child = fork();
    if (child == 0) {
        const rlimit limit{rlim_t{1} << 30, rlim_t{1} << 30};
        setrlimit(RLIMIT_AS, &limit);
        // The report says how much was asked for: the file's 2.2 GB, to read it into memory.
        const Report report = exportToCsv(dir / "big.qlx");
        const auto* memory = std::get_if<MemoryExhausted>(&report.failure);
        _exit(report.status == Status::OutOfMemory && memory != nullptr &&
                      memory->bytes == std::filesystem::file_size(dir / "big.qlx")
                  ? 0
                  : 1);
    }
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(dir.entries(), 1u);
}
#endif

// The bytes the file lost read as zeros, and the export gives no output.
TEST(ExportPosix, AnInputCutWhileItIsReadGivesNoOutput) {
    ScratchDir dir;
    test::MotionDocument document;
    document.bones.resize(2000); // many pages of records
    ASSERT_TRUE(test::save(document, dir / "take.qlx"));
    const auto opened = platform::openInput(dir / "take.qlx");
    ASSERT_TRUE(opened);
    const auto watch = io::InputWatch::start(*opened);
    std::filesystem::resize_file(dir / "take.qlx", 4096);
    ASSERT_TRUE(watch);
    EXPECT_EQ(exportOpened(*opened, *watch, dir / "take.qlx", dir / "take.csv").status,
              Status::OpenError);
    EXPECT_EQ(dir.entries(), 1u);
}

} // namespace
} // namespace qlx::convert
