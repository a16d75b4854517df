// Inputs on POSIX: only regular files open, and a mapped input whose file is cut or rewritten
// while it is read reads the lost bytes as zeros instead of ending the program, says it is no
// longer intact, and that says nothing of the files read after it. A bus error that is not a lost
// page still ends the program.
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

TEST(MappedInput, AFileCutOrWrittenWhileMappedIsReported) {
    installFileGuards(); // as the program does at its start
    test::ScratchDir dir;
    const std::string bytes(3 * 65536, 'x');
    test::writeBytes(dir / "cut", bytes);
    auto cut = mapInput(dir / "cut");
    ASSERT_TRUE(cut && cut->intact());
    // Cut to nothing, then grown back with its old time: only what was read meanwhile tells.
    const auto written = std::filesystem::last_write_time(dir / "cut");
    std::filesystem::resize_file(dir / "cut", 0);
    EXPECT_EQ(cut->bytes().front(), std::byte{0});
    EXPECT_EQ(cut->bytes().back(), std::byte{0});
    std::filesystem::resize_file(dir / "cut", bytes.size());
    std::filesystem::last_write_time(dir / "cut", written);
    EXPECT_FALSE(cut->intact());
    // A file read into memory meanwhile, as one that cannot be mapped is, owes nothing to it.
    test::writeBytes(dir / "read", bytes);
    EXPECT_TRUE(readInput(dir / "read")->intact());
    // Written over, its time moves.
    test::writeBytes(dir / "written", bytes);
    auto over = mapInput(dir / "written");
    ASSERT_TRUE(over);
    std::filesystem::last_write_time(dir / "written", written + std::chrono::seconds(1));
    EXPECT_FALSE(over->intact());
    test::writeBytes(dir / "empty", "");
    EXPECT_TRUE(mapInput(dir / "empty")->bytes().empty());
}

// The system sends a bus error for a lost page with the code BUS_ADRERR; one with any other code,
// even at an address inside the mapping, is not a cut file and ends the program as it would.
TEST(MappedInput, OnlyALostPageIsMended) {
    test::ScratchDir dir;
    test::writeBytes(dir / "file", std::string(65536, 'x'));
    for (const int code : {BUS_ADRERR, BUS_ADRALN, BUS_OBJERR}) {
        const pid_t child = fork();
        if (child == 0) {
            installFileGuards();
            const auto input = mapInput(dir / "file");
            siginfo_t info{};
            info.si_signo = SIGBUS;
            info.si_code = code;
            info.si_addr = const_cast<std::byte*>(input->bytes().data() + 100);
            syscall(SYS_rt_tgsigqueueinfo, getpid(), gettid(), SIGBUS, &info);
            _exit(input->intact() ? 1 : 0); // mended: the mapping says it lost a page
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (code == BUS_ADRERR) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        } else {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGBUS) << code;
        }
    }
}

} // namespace
} // namespace qlx::platform
