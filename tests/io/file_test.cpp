// Whole-file reading and the all-or-nothing replacement of an output file.
#include "io/file.h"

#include "tests/support.h"

#include <gtest/gtest.h>

namespace qlx::io {
namespace {

using test::readBytes;
using test::ScratchDir;
using test::writeBytes;

TEST(File, ReadsWholeFilesAndRefusesMissingOnes) {
    ScratchDir dir;
    const std::string bytes = std::string("a\0b\r\n\x1A", 6) + std::string(200000, 'x');
    writeBytes(dir / "f", bytes);
    EXPECT_EQ(readFile(dir / "f")->view(), bytes);
    writeBytes(dir / "empty", "");
    EXPECT_EQ(readFile(dir / "empty")->view(), "");
    EXPECT_FALSE(readFile(dir / "missing"));
    EXPECT_FALSE(readFile(dir.path())) << "a folder is not a file";
}

TEST(File, BufferGrowsWithoutLosingBytes) {
    Buffer buffer;
    std::string expected;
    for (int i = 0; i < 1000; ++i) {
        const std::string piece(static_cast<std::size_t>(i % 37), static_cast<char>('a' + i % 26));
        buffer.append(piece);
        expected += piece;
    }
    EXPECT_EQ(buffer.view(), expected);
    buffer.shrink(10);
    EXPECT_EQ(buffer.view(), expected.substr(0, 10));
}

TEST(File, ReplacesTargetOnlyWhenComplete) {
    ScratchDir dir;
    writeBytes(dir / "out", "a longer previous content");
    ASSERT_TRUE(replaceFile(dir / "out", [](OutputSink& sink) {
        sink.write(std::string_view("new"));
        sink.write(std::string_view(" bytes"));
    }));
    EXPECT_EQ(readBytes(dir / "out"), "new bytes");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"out"});
}

TEST(File, RefusesTargetsThatCannotBeWritten) {
    ScratchDir dir;
    std::filesystem::create_directory(dir / "folder");
    EXPECT_FALSE(replaceFile(dir / "folder", [](OutputSink&) {}));
    EXPECT_FALSE(replaceFile(dir / "missing" / "out", [](OutputSink&) {}));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"folder"});
}

TEST(File, ReplacesWhereALinkPoints) {
    ScratchDir dir;
    writeBytes(dir / "real.csv", "old");
    std::error_code ec;
    std::filesystem::create_symlink(dir / "real.csv", dir / "link.csv", ec);
    if (ec) {
        GTEST_SKIP() << "this system cannot make symbolic links here";
    }
    ASSERT_TRUE(replaceFile(dir / "link.csv",
                            [](OutputSink& sink) { sink.write(std::string_view("new")); }));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.csv"));
    EXPECT_EQ(readBytes(dir / "real.csv"), "new");
}

TEST(File, KeepsPermissionsOfTheReplacedFile) {
    ScratchDir dir;
    writeBytes(dir / "out", "old");
    namespace fs = std::filesystem;
    const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(dir / "out", perms);
    const auto before = fs::status(dir / "out").permissions();
    ASSERT_TRUE(
        replaceFile(dir / "out", [](OutputSink& sink) { sink.write(std::string_view("n")); }));
    EXPECT_EQ(fs::status(dir / "out").permissions(), before);
}

} // namespace
} // namespace qlx::io
