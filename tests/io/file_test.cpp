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
    EXPECT_EQ(readFile(dir / "f"), bytes);
    writeBytes(dir / "empty", "");
    EXPECT_EQ(readFile(dir / "empty"), "");
    EXPECT_FALSE(readFile(dir / "missing"));
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

TEST(File, KeepsPermissionsOfTheReplacedFile) {
    ScratchDir dir;
    writeBytes(dir / "out", "old");
    namespace fs = std::filesystem;
    const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(dir / "out", perms);
    const auto before = fs::status(dir / "out").permissions();
    ASSERT_TRUE(replaceFile(dir / "out", [](OutputSink& sink) { sink.write(std::string_view("n")); }));
    EXPECT_EQ(fs::status(dir / "out").permissions(), before);
}

} // namespace
} // namespace qlx::io
