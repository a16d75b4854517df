// Replacing an output and opening an input as a careful system tool does: only complete files
// replace, only regular files are read or replaced, and no failure, file-size limit or signal
// leaves a stray file.
#include "io/replace_file.h"
#include "platform/files.h"

#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qlx::io {
namespace {

namespace fs = std::filesystem;
using test::ScratchDir;

bool replaceWith(const fs::path& target, std::size_t size) {
    return replaceFile(target, [&](OutputSink& sink) {
        sink.write(std::string(size, 'n'));
        return true;
    });
}

// Device nodes need root; where they cannot be made, their cases are skipped with a message.
bool makeDevice(const fs::path& path, unsigned minor) {
    if (mknod(path.c_str(), S_IFCHR | 0666, makedev(1, minor)) == 0) {
        return true;
    }
    std::cout << "skipped, a device node needs root: " << path << "\n";
    return false;
}

TEST(ReplaceFile, ReplacesOnlyCompleteFilesOverRegularOnes) {
    const struct {
        std::string name;
        std::function<bool(const ScratchDir&)> setup; // makes "out", perhaps through "real"
        bool replaced;
    } cases[] = {
        {"a missing file", [](const ScratchDir&) { return true; }, true},
        {"a link to a file",
         [](const ScratchDir& d) {
             test::writeBytes(d / "real", "old");
             fs::create_symlink("real", d / "out");
             return true;
         },
         true},
        {"a folder", [](const ScratchDir& d) { return fs::create_directory(d / "out"); }, false},
        {"a pipe", [](const ScratchDir& d) { return mkfifo((d / "out").c_str(), 0600) == 0; },
         false},
        {"a link to a device",
         [](const ScratchDir& d) {
             fs::create_symlink("real", d / "out");
             return makeDevice(d / "real", 3);
         },
         false},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        if (!c.setup(dir)) {
            continue;
        }
        const auto before = fs::symlink_status(dir / "out").type();
        const std::size_t entries = dir.entries();
        EXPECT_EQ(replaceWith(dir / "out", 3 << 20), c.replaced) << c.name;
        EXPECT_EQ(fs::symlink_status(dir / "out").type(),
                  before == fs::file_type::not_found ? fs::file_type::regular : before)
            << c.name;
        EXPECT_EQ(dir.entries(), std::max<std::size_t>(entries, 1)) << c.name;
        EXPECT_EQ(c.replaced,
                  fs::is_regular_file(dir / "out") && fs::file_size(dir / "out") == 3 << 20)
            << c.name;
    }
}

TEST(ReplaceFile, FailuresAndSignalsLeaveEveryFileAsItWas) {
    ScratchDir dir;
    test::writeBytes(dir / "out", "old");
    fs::permissions(dir / "out", fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(replaceWith(dir / "out", 3));
    EXPECT_EQ(fs::status(dir / "out").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    // A file-size limit fails the write, and is reported, rather than killing the program.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit limited = old;
    limited.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &limited);
    EXPECT_FALSE(replaceWith(dir / "out", 1 << 20));
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(replaceWith(dir / "missing" / "out", 1));
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const pid_t child = fork();
        if (child == 0) {
            replaceFile(dir / "out", [&](OutputSink& sink) {
                sink.write(std::string(2 << 20, 'x'));
                std::raise(signal);
                return true;
            });
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
    }
    EXPECT_EQ(test::readBytes(dir / "out"), "nnn");
    EXPECT_EQ(dir.entries(), 1u);
}

TEST(OpenInput, OpensRegularFilesOnlyAndNeverWaits) {
    ScratchDir dir;
    test::writeBytes(dir / "file", "bytes");
    EXPECT_EQ(platform::openInput(dir / "file")->size, 5u);
    mkfifo((dir / "pipe").c_str(), 0600);
    EXPECT_FALSE(platform::openInput(dir / "pipe"));
    EXPECT_FALSE(platform::openInput(dir.path()));
    EXPECT_FALSE(platform::openInput(dir / "missing"));
    fs::create_symlink("zero", dir / "link");
    EXPECT_TRUE(!makeDevice(dir / "zero", 5) || !platform::openInput(dir / "link"));
}

} // namespace
} // namespace qlx::io
