// Inputs on POSIX: only regular files open, and an input whose file is cut while it is read
// reads the lost bytes as zeros and says so.
#include "platform/files.h"

#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qlx::platform {
namespace {

// A pipe would block a reader forever; a link to a device is followed, and refused as a device.
TEST(OpenInput, OpensRegularFilesOnlyAndNeverWaits) {
    test::ScratchDir dir;
    test::writeBytes(dir / "file", "bytes");
    EXPECT_EQ(openInput(dir / "file")->size, 5u);
    mkfifo((dir / "pipe").c_str(), 0600);
    EXPECT_FALSE(openInput(dir / "pipe"));
    EXPECT_FALSE(openInput(dir.path()));
    EXPECT_FALSE(openInput(dir / "missing"));
    std::filesystem::create_symlink("zero", dir / "link");
    if (mknod((dir / "zero").c_str(), S_IFCHR | 0666, makedev(1, 5)) != 0) {
        GTEST_SKIP() << "a device node needs root";
    }
    EXPECT_FALSE(openInput(dir / "link"));
}

TEST(InputBytes, AFileCutWhileReadReadsZerosAndSaysSo) {
    test::ScratchDir dir;
    const std::string bytes(3 * 65536, 'x');
    test::writeBytes(dir / "cut", bytes);
    // Cut to half once opened: the lost half reads as zeros.
    const auto opened = openInput(dir / "cut");
    ASSERT_TRUE(opened);
    std::filesystem::resize_file(dir / "cut", bytes.size() / 2);
    const auto cut = readWhole(*opened);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->bytes().size(), bytes.size());
    EXPECT_EQ(cut->bytes().front(), std::byte{'x'});
    EXPECT_EQ(cut->bytes().back(), std::byte{0});
    EXPECT_TRUE(cut->cut);
    EXPECT_FALSE(opened->unchanged());
    test::writeBytes(dir / "whole", bytes);
    EXPECT_FALSE(readWhole(*openInput(dir / "whole"))->cut);
    test::writeBytes(dir / "empty", "");
    EXPECT_TRUE(readWhole(*openInput(dir / "empty"))->bytes().empty());
}

} // namespace
} // namespace qlx::platform
