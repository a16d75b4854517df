// CSV tables and their files: the splitting rules, line ends, and whole files both ways.
#include "csv/table_file.h"

#include "tests/support/support.h"

#include <gtest/gtest.h>

namespace qlx::csv {
namespace {

using Rows = std::vector<std::vector<std::string>>;
using test::readBytes;
using test::rowsOf;
using test::ScratchDir;
using test::writeBytes;

TEST(CsvTable, SplitsLinesAtEveryCommaAndLF) {
    const struct {
        std::string text;
        Rows rows;
    } cases[] = {
        {"", {{}}},
        {"a", {{"a"}}},
        {"a,,b", {{"a", "", "b"}}},
        {",a", {{"", "a"}}},
        {"a,", {{"a"}}},
        {"a,,", {{"a", ""}}},
        {",", {{""}}},
        {" \"a ,b\"", {{" \"a ", "b\""}}},
        {"1,2,3\r\n", {{"1", "2", "3"}, {}}},
        {"1\n2\r\n\r\n", {{"1"}, {"2"}, {}, {}}},
        {"a\rb\r", {{"a\rb\r"}}},
        {"a\r\r\n", {{"a\r"}, {}}},
        {"\xEF\xBB\xBFx,\x83\x5C", {{"\xEF\xBB\xBFx", "\x83\x5C"}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rowsOf(c.text), c.rows) << c.text;
    }
}

TEST(CsvTable, FilesRoundTripWithCrLf) {
    ScratchDir dir;
    CsvTable table;
    CsvRow row;
    for (const auto& fields : Rows{{"a", "b"}, {}, {"x", ""}, {"\x90\x58"}}) {
        row.clear();
        for (const auto& field : fields) {
            row.append(field);
        }
        table.appendRow(row);
    }
    writeBytes(dir / "t.csv", std::string(100, 'z'));
    ASSERT_TRUE(writeTable(dir / "t.csv", table));
    EXPECT_EQ(readBytes(dir / "t.csv"), "a,b\r\n\r\nx,\r\n\x90\x58\r\n");
    CsvTable back;
    ASSERT_TRUE(readTable(dir / "t.csv", back));
    ASSERT_EQ(back.rowCount(), 5u);
    EXPECT_EQ(back.rowAt(2).fieldCount(), 1u);
    EXPECT_TRUE(back.rowAt(4).empty());

    CsvTable untouched;
    EXPECT_FALSE(readTable(dir / "missing.csv", untouched));
    EXPECT_EQ(untouched.rowCount(), 0u);
    EXPECT_TRUE(writeTable(dir / "empty.csv", CsvTable{}));
    EXPECT_EQ(readBytes(dir / "empty.csv"), "");
}

} // namespace
} // namespace qlx::csv
