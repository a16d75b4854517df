// What only a POSIX system can show of replacing an output: links and who may plant them, pipes
// and devices, permissions, and signals at any step, on the named path too.
#include "io/pending_output.h"
#include "platform/files.h"

#include "tests/support/faulty_file_system.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qlx::io {
namespace {

namespace fs = std::filesystem;
using test::Fault;
using test::ScratchDir;

bool replace(const fs::path& target, platform::FileSystem& system = platform::systemFileSystem()) {
    PendingOutput output(target, {}, system);
    output.write(std::string(3 << 20, 'n'));
    return output.commit().has_value();
}

// Device nodes need root; where they cannot be made, their cases are skipped with a message.
bool makeDevice(const fs::path& path, unsigned minor) {
    if (mknod(path.c_str(), S_IFCHR | 0666, makedev(1, minor)) == 0) {
        return true;
    }
    std::cout << "skipped, a device node needs root: " << path << "\n";
    return false;
}

TEST(PendingOutputPosix, ReplacesOnlyRegularFilesAndLinksTheSystemWouldFollow) {
    const auto linkToFile = [](const ScratchDir& d) {
        test::writeBytes(d / "real", "old");
        fs::create_symlink("real", d / "out");
        return true;
    };
    const struct {
        std::string name;
        std::function<bool(const ScratchDir&)> setup; // makes "out", perhaps through "real"
        Fault fault;
        bool replaced;
    } cases[] = {
        {"a missing file", [](const ScratchDir&) { return true; }, Fault::None, true},
        {"a link to a file", linkToFile, Fault::None, true},
        {"a link to a link to a missing file",
         [](const ScratchDir& d) {
             fs::create_symlink("link", d / "out");
             fs::create_symlink(d / "real", d / "link");
             return true;
         },
         Fault::None, true},
        {"a link of another user in a folder anyone may write to", linkToFile, Fault::PlantedLink,
         false},
        {"a link of that folder's owner", linkToFile, Fault::FolderOwnersLink, true},
        {"a loop of links",
         [](const ScratchDir& d) {
             fs::create_symlink("out", d / "out");
             return true;
         },
         Fault::None, false},
        {"a folder", [](const ScratchDir& d) { return fs::create_directory(d / "out"); },
         Fault::None, false},
        {"a pipe", [](const ScratchDir& d) { return mkfifo((d / "out").c_str(), 0600) == 0; },
         Fault::None, false},
        {"a link to a device",
         [](const ScratchDir& d) {
             fs::create_symlink("real", d / "out");
             return makeDevice(d / "real", 3);
         },
         Fault::None, false},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        if (!c.setup(dir)) {
            continue;
        }
        const auto before = fs::symlink_status(dir / "out").type();
        const std::size_t entries = dir.entries();
        test::FaultyFileSystem system(c.fault, true);
        EXPECT_EQ(replace(dir / "out", system), c.replaced) << c.name;
        EXPECT_EQ(fs::symlink_status(dir / "out").type(),
                  before == fs::file_type::not_found ? fs::file_type::regular : before)
            << c.name;
        std::error_code ec;
        EXPECT_EQ(fs::file_size(dir / "out", ec) == 3 << 20, c.replaced) << c.name;
        // A file is added only where a link pointed at nothing; no temporary file stays.
        EXPECT_EQ(dir.entries(), entries + (c.name.ends_with("missing file") ? 1 : 0)) << c.name;
    }
}

// As root, a link that another user planted in a sticky folder anyone may write to is not
// followed, so root's file is not replaced through it; in a folder that is only one of the two,
// or through root's own link, it is.
TEST(PendingOutputPosix, RefusesALinkPlantedInASharedFolder) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "a link owned by another user needs root to make";
    }
    const struct {
        fs::perms folder;
        std::uint32_t linkOwner;
        bool followed;
    } cases[] = {{fs::perms::all | fs::perms::sticky_bit, 65534, false},
                 {fs::perms::all | fs::perms::sticky_bit, 0, true},
                 {fs::perms::all, 65534, true},
                 {fs::perms::owner_all | fs::perms::sticky_bit, 65534, true}};
    for (const auto& c : cases) {
        ScratchDir dir;
        fs::create_directory(dir / "shared");
        fs::permissions(dir / "shared", c.folder);
        test::writeBytes(dir / "root's", "root's");
        fs::create_symlink(dir / "root's", dir / "shared" / "out.csv");
        ASSERT_EQ(lchown((dir / "shared" / "out.csv").c_str(), c.linkOwner, c.linkOwner), 0);
        EXPECT_EQ(replace(dir / "shared" / "out.csv"), c.followed) << c.linkOwner;
        EXPECT_EQ(test::readBytes(dir / "root's") == "root's", !c.followed) << c.linkOwner;
    }
}

// The new file is this user's alone until it replaces its target; then it has the target's
// permissions, or those that the system gives a new file.
TEST(PendingOutputPosix, KeepsPermissions) {
    ScratchDir dir;
    auto& system = platform::systemFileSystem();
    auto named = system.createNamed(dir / "temporary");
    ASSERT_TRUE(named);
    EXPECT_EQ(fs::status(dir / "temporary").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    system.remove(*named, dir / "temporary");
    if (auto unnamed = system.createUnnamed(dir.path())) {
        struct stat status {};
        ASSERT_EQ(fstat(static_cast<int>(unnamed->handle()), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0600u);
    }
    test::writeBytes(dir / "out", "old");
    fs::permissions(dir / "out", fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(replace(dir / "out"));
    EXPECT_EQ(fs::status(dir / "out").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(replace(dir / "new"));
    test::writeBytes(dir / "made new", "");
    EXPECT_EQ(fs::status(dir / "new").permissions(), fs::status(dir / "made new").permissions());
    fs::remove(dir / "new");
    fs::remove(dir / "made new");
    EXPECT_EQ(dir.entries(), 1u);
}

// A signal while the output is written, or between its name and the rename, ends the program
// with that signal and leaves no file behind, named or not: every signal whose default ends the
// program, and that a program may catch, real-time ones too, and faults sent as signals.
TEST(PendingOutputPosix, SignalsLeaveEveryFileAsItWas) {
    struct Case {
        int signal;
        Fault fault; // SignalBeforeRename raises SIGTERM itself
    };
    std::vector<Case> cases = {{SIGTERM, Fault::SignalBeforeRename}};
    for (const int signal :
         {SIGHUP,  SIGINT,  SIGQUIT, SIGILL,  SIGTRAP,  SIGABRT,      SIGBUS,  SIGFPE,
          SIGUSR1, SIGSEGV, SIGUSR2, SIGALRM, SIGTERM,  SIGSTKFLT,    SIGXCPU, SIGVTALRM,
          SIGPROF, SIGIO,   SIGPWR,  SIGSYS,  SIGRTMIN, SIGRTMIN + 3, SIGRTMAX}) {
        cases.push_back({signal, Fault::None});
    }
    for (const auto& c : cases) {
        for (const bool unnamed : {true, false}) {
            ScratchDir dir;
            test::writeBytes(dir / "out", "old");
            const pid_t child = fork();
            if (child == 0) {
                platform::installFileGuards(); // as the program does at its start
                const rlimit noCore{0, 0};     // SIGQUIT and the faults would leave a core file
                setrlimit(RLIMIT_CORE, &noCore);
                test::FaultyFileSystem system(c.fault, unnamed);
                PendingOutput output(dir / "out", {}, system);
                output.write(std::string(2 << 20, 'x'));
                if (c.fault == Fault::None) {
                    std::raise(c.signal);
                }
                static_cast<void>(output.commit());
                _exit(0);
            }
            int status = 0;
            waitpid(child, &status, 0);
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << c.signal;
            EXPECT_EQ(test::readBytes(dir / "out"), "old");
            EXPECT_EQ(dir.entries(), 1u) << c.signal << (unnamed ? " unnamed" : " named");
        }
    }
}

// Where /proc is missing (a chroot, some containers), an unnamed file could not be given its name:
// the output starts as a named file and is written all the same.
TEST(PendingOutputPosix, ReplacesWithoutProc) {
    ScratchDir dir;
    test::writeBytes(dir / "out", "old");
    const pid_t child = fork();
    if (child == 0) {
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) ||
            mount("none", "/proc", "tmpfs", 0, nullptr) != 0) {
            _exit(77);
        }
        _exit(replace(dir / "out") ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) {
        GTEST_SKIP() << "hiding /proc needs a mount namespace of one's own (root)";
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(fs::file_size(dir / "out"), 3u << 20);
    EXPECT_EQ(dir.entries(), 1u);
}

} // namespace
} // namespace qlx::io
