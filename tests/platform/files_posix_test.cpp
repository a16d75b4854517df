// Inputs on POSIX: only regular files open, and an input whose file is cut or rewritten while it
// is read reads the lost bytes as zeros and says it is no longer intact.
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

TEST(InputBytes, AFileCutOrWrittenWhileReadIsReported) {
    test::ScratchDir dir;
    const std::string bytes(3 * 65536, 'x');
    test::writeBytes(dir / "cut", bytes);
    // Cut to half once opened: the lost half reads as zeros.
    auto opened = openInput(dir / "cut");
    ASSERT_TRUE(opened);
    std::filesystem::resize_file(dir / "cut", bytes.size() / 2);
    const auto cut = readWhole(std::move(*opened));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->bytes().size(), bytes.size());
    EXPECT_EQ(cut->bytes().front(), std::byte{'x'});
    EXPECT_EQ(cut->bytes().back(), std::byte{0});
    EXPECT_FALSE(cut->intact());
    // Written over, its time moves.
    test::writeBytes(dir / "written", bytes);
    const auto over = readWhole(std::move(*openInput(dir / "written")));
    ASSERT_TRUE(over && over->intact());
    std::filesystem::last_write_time(dir / "written",
                                     std::filesystem::last_write_time(dir / "written") +
                                         std::chrono::seconds(1));
    EXPECT_FALSE(over->intact());
    test::writeBytes(dir / "empty", "");
    EXPECT_TRUE(readWhole(std::move(*openInput(dir / "empty")))->bytes().empty());
}

} // namespace
} // namespace qlx::platform
