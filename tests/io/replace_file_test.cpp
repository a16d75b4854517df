// Replacing an output: only once its new bytes are complete, never over what may not be
// replaced, through links, keeping the old file's permissions, and with nothing left behind.
#include "io/replace_file.h"

#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace qlx::io {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::ScratchDir;
using test::writeBytes;

bool replaceWith(const fs::path& target, std::string_view bytes) {
    return replaceFile(target, [&](OutputSink& sink) { sink.write(bytes); });
}

// Runs `action` while the system refuses to let any file grow beyond `limit` bytes.
bool underFileSizeLimit(rlim_t limit, const std::function<bool()>& action) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit limited = old;
    limited.rlim_cur = limit;
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool result = action();
    setrlimit(RLIMIT_FSIZE, &old);
    return result;
}

TEST(ReplaceFile, ReplacesOnlyWhenComplete) {
    ScratchDir dir;
    const auto target = dir / "out";
    EXPECT_TRUE(replaceWith(target, "first"));
    EXPECT_TRUE(replaceWith(target, "2nd"));
    EXPECT_EQ(readBytes(target), "2nd");
    const std::string large(1 << 20, 'x');
    EXPECT_FALSE(underFileSizeLimit(4096, [&] { return replaceWith(target, large); }));
    EXPECT_EQ(readBytes(target), "2nd");
    EXPECT_EQ(dir.entries(), 1u);
}

TEST(ReplaceFile, RefusesWhatCannotBeReplaced) {
    ScratchDir dir;
    fs::create_directory(dir / "folder");
    EXPECT_FALSE(replaceWith(dir / "folder", "x"));
    EXPECT_FALSE(replaceWith(dir / "missing" / "out", "x"));
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
    EXPECT_EQ(dir.entries(), 1u);
}

TEST(ReplaceFile, ReplacesWhereALinkPointsAndKeepsPermissions) {
    ScratchDir dir;
    writeBytes(dir / "real", "old");
    fs::permissions(dir / "real", fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("real", dir / "link");
    ASSERT_TRUE(replaceWith(dir / "link", "new"));
    EXPECT_TRUE(fs::is_symlink(dir / "link"));
    EXPECT_EQ(readBytes(dir / "real"), "new");
    EXPECT_EQ(fs::status(dir / "real").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(dir.entries(), 2u);
}

} // namespace
} // namespace qlx::io
