// Files as people write them, each converted as they expect: a last line without its line end,
// a name longer than its field, a UTF-8 file written by a program that decodes Shift-JIS by the
// JIS table, half-width kana that look like UTF-8, and extensions in capitals.
#include "convert/conversion.h"

#include "csv/text_encoding.h"
#include "motion/motion_file.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <functional>

namespace qlx::convert {
namespace {

using test::readBytes;
using test::ScratchDir;
using test::writeBytes;

std::string replaced(std::string text, std::string_view from, std::string_view to) {
    const std::size_t at = text.find(from);
    return at == text.npos ? text : text.replace(at, from.size(), to);
}

TEST(HandWritten, FilesConvertAsTheirWritersMeanThem) {
    const std::string example = readBytes(QLX_SOURCE_DIR "/examples/walk.csv");
    const std::string withoutEnd = example.substr(0, example.size() - 2);
    const std::string sjisName = "\x83\x5A\x83\x93\x83\x5E\x81\x5B"; // センター
    // とても長いボーン名前ですよね: 14 double-byte characters, 28 bytes.
    const std::string longName = "\x82\xC6\x82\xC4\x82\xE0\x92\xB7\x82\xA2\x83\x7B\x81\x5B"
                                 "\x83\x93\x96\xBC\x91\x4F\x82\xC5\x82\xB7\x82\xE6\x82\xCB";
    ASSERT_NE(example.find(sjisName), example.npos);
    // ・～ in a UTF-8 file, the ～ as the JIS table decodes 81 60 (U+301C).
    const std::string utf8 =
        replaced(csv::utf8FromShiftJis(example), "\xE3\x82\xBB\xE3\x83\xB3\xE3\x82\xBF\xE3\x83\xBC",
                 "\xE3\x83\xBB\xE3\x80\x9C");
    // A name field: the name, and NULs to its width.
    const auto field = [](std::string name) { return name + std::string(15 - name.size(), '\0'); };
    const struct {
        std::string name;
        std::string file;
        std::string csv;
        std::string firstName; // the field that holds the example's first bone name
    } cases[] = {
        {"no final line end", "a.csv", withoutEnd, field(sjisName)},
        {"a lone CR at the end", "b.csv", withoutEnd + "\r", field(sjisName)},
        {"a name longer than its field", "c.csv", replaced(example, sjisName, longName),
         field(longName.substr(0, 14))},
        {"UTF-8 with a JIS form", "d.csv", utf8, field("\x81\x45\x81\x60")},
        {"an extension in capitals", "F.CSV", example, field(sjisName)},
        {"an extension in mixed case", "g.Csv", example, field(sjisName)},
    };
    ScratchDir dir;
    writeBytes(dir / "walk.csv", example);
    ASSERT_EQ(importFromCsv(dir / "walk.csv").status, Status::Ok);
    const std::string reference = readBytes(dir / "walk.qlx");
    const std::size_t nameAt = reference.find(sjisName);
    for (const auto& c : cases) {
        writeBytes(dir / c.file, c.csv);
        const auto report = importFromCsv(dir / c.file);
        const auto output = dir / (c.file.substr(0, 2) + "qlx");
        ASSERT_EQ(report.status, Status::Ok) << c.name;
        ASSERT_TRUE(std::filesystem::exists(output)) << c.name;
        const std::string binary = readBytes(output);
        EXPECT_EQ(binary.substr(nameAt, c.firstName.size()), c.firstName) << c.name;
        // All else is the example's.
        std::string expected = reference;
        expected.replace(nameAt, c.firstName.size(), c.firstName);
        EXPECT_TRUE(binary == expected) << c.name;
    }
    // A morph named in half-width kana whose bytes are also UTF-8 (ﾐｽ, D0 BD: Cyrillic н), in a
    // file whose other texts are ASCII, keeps its bytes.
    writeBytes(dir / "kana.csv",
               "Quorlane Motion Data 0002,0\r\nm\r\n0\r\n1\r\n\xD0\xBD,1,1\r\n0\r\n0\r\n");
    ASSERT_EQ(importFromCsv(dir / "kana.csv").status, Status::Ok);
    EXPECT_NE(readBytes(dir / "kana.qlx").find(std::string("\xD0\xBD\0", 3)), std::string::npos);
    // A motion file in capitals is exported beside it, with the extension in lower case.
    std::filesystem::rename(dir / "walk.qlx", dir / "WALK.QLX");
    EXPECT_EQ(exportToCsv(dir / "WALK.QLX").status, Status::Ok);
    EXPECT_TRUE(std::filesystem::exists(dir / "WALK.csv"));
}

} // namespace
} // namespace qlx::convert
