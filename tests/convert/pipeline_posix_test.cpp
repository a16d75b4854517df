// What only a POSIX system can show of the conversions: exhausted memory, in a child process given
// a small address space; the memory an import holds, measured in a child process; and an input
// cut while it is read.
#include "convert/conversion.h"
#include "convert/pipeline_steps.h"

#include "motion/motion_file.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
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

// An import in a child process: its status, and the most memory it held, in KiB.
std::pair<Status, long> importPeak(const std::filesystem::path& csv) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(static_cast<int>(importFromCsv(csv).status) & 0xFF);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    return {Status{static_cast<std::int8_t>(WEXITSTATUS(status))}, usage.ru_maxrss};
}

// A field that opens a quote it never closes, and the bytes after the light keys, are as long as
// the file makes them; the import holds neither, however long: its peak memory is within a few
// megabytes of that of the same file without them.
TEST(Pipelines, ALongFieldIsNeverHeld) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the address sanitizer keeps freed memory resident: peaks tell nothing here";
#endif
    ScratchDir dir;
    const auto bones = [&](const char* name, const std::string& first) {
        std::ofstream out(dir / name, std::ios::binary);
        const std::size_t count = 300'000; // some 45 MB
        out << "Quorlane Motion Data 0002,0\r\nmodel\r\n" << count << "\r\n";
        for (std::size_t i = 0; i < count; ++i) {
            out << (i == 0 ? first : "arm") << ",1,2,3,4,5,6,7,0x" << std::string(128, 'A')
                << "\r\n";
        }
        out << "0\r\n0\r\n0\r\n";
    };
    bones("plain.csv", "arm");
    bones("quote.csv", "\"arm"); // no quote follows it in the file
    const auto tail = [&](const char* name, std::size_t bytes) {
        motion::MotionDocument document;
        document.tail.resize(bytes, std::byte{0xAB});
        ASSERT_TRUE(motion::save(document, dir / name));
        ASSERT_EQ(exportToCsv(dir / name).status, Status::Ok);
        std::filesystem::remove(dir / name);
    };
    tail("short.qlx", 1);
    tail("long.qlx", 24 << 20); // a row of 48 MB
    const std::pair<const char*, const char*> pairs[] = {{"plain.csv", "quote.csv"},
                                                         {"short.csv", "long.csv"}};
    for (const auto& [without, with] : pairs) {
        const auto [status, peak] = importPeak(dir / without);
        const auto [longStatus, longPeak] = importPeak(dir / with);
        ASSERT_EQ(status, Status::Ok);
        ASSERT_EQ(longStatus, Status::Ok);
        EXPECT_LT(longPeak - peak, 16 << 10) << with << ": " << longPeak << " KiB against " << peak;
    }
    EXPECT_EQ(std::filesystem::file_size(dir / "long.qlx"),
              std::filesystem::file_size(dir / "short.qlx") + (24 << 20) - 1);
}

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
    EXPECT_EQ(exportMapped(*input, dir / "take.csv").status, Status::OpenError);
    EXPECT_EQ(dir.entries(), 1u);
}

} // namespace
} // namespace qlx::convert
