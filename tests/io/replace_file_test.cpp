// Replacing an output and reading an input as a careful system tool does: only complete files
// replace, only regular files are read or replaced, nothing private shows, and no failure,
// file-size limit or signal leaves a stray file.
#include "io/read_file.h"
#include "io/replace_file.h"

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
using test::readBytes;
using test::ScratchDir;
using test::writeBytes;

bool replaceWith(const fs::path& target, std::string_view bytes) {
    return replaceFile(target, [&](OutputSink& sink) { sink.write(bytes); });
}

// Runs `action` while the system refuses to let any file grow beyond 4 KiB.
bool underFileSizeLimit(const std::function<bool()>& action) {
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit limited = old;
    limited.rlim_cur = 4096;
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool result = action();
    setrlimit(RLIMIT_FSIZE, &old);
    return result;
}

TEST(ReplaceFile, ReplacesOnlyCompleteFilesOverRegularOnes) {
    const bool root = geteuid() == 0;
    const struct {
        std::string name;
        std::function<void(const ScratchDir&)> setup; // makes "out", perhaps through "real"
        bool replaced;
    } cases[] = {
        {"a missing file", [](const ScratchDir&) {}, true},
        {"a regular file", [](const ScratchDir& d) { writeBytes(d / "out", "old"); }, true},
        {"a link to a file",
         [](const ScratchDir& d) {
             writeBytes(d / "real", "old");
             fs::create_symlink("real", d / "out");
         },
         true},
        {"a folder", [](const ScratchDir& d) { fs::create_directory(d / "out"); }, false},
        {"a pipe", [](const ScratchDir& d) { mkfifo((d / "out").c_str(), 0600); }, false},
        {"a link to a device",
         [](const ScratchDir& d) {
             mknod((d / "real").c_str(), S_IFCHR | 0666, makedev(1, 3));
             fs::create_symlink("real", d / "out");
         },
         false},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        c.setup(dir);
        if (c.name.ends_with("device") && !root) {
            std::cout << "skipped, a device node needs root: " << c.name << "\n";
            continue;
        }
        const auto before = fs::symlink_status(dir / "out").type();
        const std::size_t entries = dir.entries();
        // While the new bytes are written, nothing new in the folder is readable by others.
        EXPECT_EQ(replaceFile(dir / "out",
                              [&](OutputSink& sink) {
                                  for (const auto& entry : fs::directory_iterator(dir.path())) {
                                      if (entry.path().filename().string().ends_with(".tmp")) {
                                          EXPECT_EQ(entry.status().permissions(),
                                                    fs::perms::owner_read | fs::perms::owner_write);
                                      }
                                  }
                                  sink.write(std::string(3 << 20, 'n'));
                              }),
                  c.replaced)
            << c.name;
        EXPECT_EQ(fs::symlink_status(dir / "out").type(),
                  before == fs::file_type::not_found ? fs::file_type::regular : before)
            << c.name;
        EXPECT_EQ(dir.entries(), std::max<std::size_t>(entries, 1)) << c.name;
        if (c.replaced) {
            EXPECT_EQ(readBytes(dir / "out").size(), std::size_t{3} << 20) << c.name;
        }
    }
}

TEST(ReplaceFile, FailuresAndSignalsLeaveEveryFileAsItWas) {
    ScratchDir dir;
    writeBytes(dir / "out", "old");
    fs::permissions(dir / "out", fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(replaceWith(dir / "out", "2nd"));
    EXPECT_EQ(fs::status(dir / "out").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    // A file-size limit fails the write, and is reported, rather than killing the program.
    EXPECT_FALSE(
        underFileSizeLimit([&] { return replaceWith(dir / "out", std::string(1 << 20, 'x')); }));
    EXPECT_FALSE(replaceWith(dir / "missing" / "out", "x"));
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const pid_t child = fork();
        if (child == 0) {
            replaceFile(dir / "out", [&](OutputSink& sink) {
                sink.write(std::string(2 << 20, 'x'));
                std::raise(signal);
            });
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
    }
    EXPECT_EQ(readBytes(dir / "out"), "2nd");
    EXPECT_EQ(dir.entries(), 1u);
}

TEST(ReadFile, ReadsRegularFilesOnlyAndNeverWaits) {
    ScratchDir dir;
    writeBytes(dir / "file", "bytes");
    EXPECT_EQ(readFile(dir / "file")->view(), "bytes");
    mkfifo((dir / "pipe").c_str(), 0600);
    EXPECT_FALSE(readFile(dir / "pipe"));
    EXPECT_FALSE(readFile(dir.path()));
    EXPECT_FALSE(readFile(dir / "missing"));
    if (mknod((dir / "zero").c_str(), S_IFCHR | 0666, makedev(1, 5)) == 0) {
        fs::create_symlink("zero", dir / "link");
        EXPECT_FALSE(readFile(dir / "link"));
    } else {
        std::cout << "skipped, a device node needs root\n";
    }
}

} // namespace
} // namespace qlx::io
