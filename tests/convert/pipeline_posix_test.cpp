// What only a POSIX system can show of the conversions: exhausted memory, in a child process given
// a small address space; an input cut while it is read; a read that fails.
#include "convert/conversion.h"
#include "convert/export.h"
#include "convert/import.h"
#include "io/input_watch.h"

#include "motion/motion_file.h"
#include "tests/support/motion_document.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
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
TEST(OutOfMemory, IsReportedWithEveryFileAsItWas) {
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
TEST(Pipelines, AnInputCutWhileItIsReadGivesNoOutput) {
    platform::installFileGuards(); // as the program does at its start
    ScratchDir dir;
    test::MotionDocument document;
    document.bones.resize(2000); // many pages of records
    ASSERT_TRUE(test::save(document, dir / "take.qlx"));
    const auto input = platform::mapInput(dir / "take.qlx");
    ASSERT_TRUE(input);
    std::filesystem::resize_file(dir / "take.qlx", 4096);
    EXPECT_EQ(exportMapped(*input, *io::InputWatch::start(input->input()), dir / "take.qlx",
                           dir / "take.csv")
                  .status,
              Status::OpenError);
    EXPECT_EQ(dir.entries(), 1u);
}

// A read that fails while the rows are walked (here: a folder read as a file) fails the import.
TEST(Pipelines, AFailedReadIsAnOpenError) {
    ScratchDir dir;
    platform::File folder(open(dir.path().c_str(), O_RDONLY));
    struct stat status {};
    ASSERT_EQ(fstat(static_cast<int>(folder.handle()), &status), 0);
    platform::InputFile input{std::move(folder),
                              static_cast<std::uint64_t>(status.st_size),
                              status.st_mtim.tv_sec * 1'000'000'000 + status.st_mtim.tv_nsec,
                              (status.st_mtim.tv_sec + 3600) * 1'000'000'000, // read an hour on
                              {}};
    const Report report =
        importOpened(input, *io::InputWatch::start(input), dir.path(), dir / "take.qlx");
    EXPECT_EQ(report.status, Status::OpenError);
    const auto* cannot = std::get_if<CannotRead>(&report.failure);
    ASSERT_NE(cannot, nullptr);
    EXPECT_EQ(cannot->error.kind, platform::SystemError::Kind::Folder);
    EXPECT_EQ(dir.entries(), 0u);
}

// On a file system whose times count whole seconds (ext4 made with 128-byte inodes, as FAT, exFAT
// and many network mounts count), a write of the same size within the second of the last one
// leaves the file's size and time as they were; the import still sees it. Making such a file
// system needs root, and its tools.
TEST(Pipelines, AChangeWithinTheClocksStepIsSeen) {
    ScratchDir dir;
    const std::filesystem::path mounted = dir / "seconds";
    std::filesystem::create_directory(mounted);
    const std::string make = "truncate -s 8M '" + (dir / "fs.img").string() +
                             "' && mkfs.ext4 -q -I 128 '" + (dir / "fs.img").string() +
                             "' 2>/dev/null && mount -o loop '" + (dir / "fs.img").string() +
                             "' '" + mounted.string() + "' 2>/dev/null";
    if (geteuid() != 0 || std::system(make.c_str()) != 0) {
        GTEST_SKIP() << "a file system of whole seconds needs root, mkfs.ext4 and a loop device";
    }
    std::string edited = readBytes(QLX_SOURCE_DIR "/examples/walk.csv");
    const std::string example = edited;
    edited[edited.rfind("0.5")] = '9';
    Status status = Status::Ok;
    for (int attempt = 0; attempt < 5 && status == Status::Ok; ++attempt) {
        writeBytes(mounted / "take.csv", example);
        const auto input = platform::openInput(mounted / "take.csv");
        ASSERT_TRUE(input);
        ASSERT_EQ(input->stamp % 1'000'000'000, 0) << "times of whole seconds";
        const auto watch = io::InputWatch::start(*input);
        ASSERT_TRUE(watch);
        writeBytes(mounted / "take.csv", edited);
        if (!input->unchanged()) {
            continue; // the second turned meanwhile: the time tells, which is not the case here
        }
        status = importOpened(*input, *watch, mounted / "take.csv", mounted / "take.qlx").status;
    }
    EXPECT_EQ(status, Status::OpenError);
    EXPECT_FALSE(std::filesystem::exists(mounted / "take.qlx"));
    std::system(("umount '" + mounted.string() + "'").c_str());
}

} // namespace
} // namespace qlx::convert
