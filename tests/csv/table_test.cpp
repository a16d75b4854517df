// CSV tables: the splitting rules, line ends, and writing and reading whole files.
#include "csv/table.h"

#include "tests/support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qlx::csv {
namespace {

using test::readBytes;
using test::ScratchDir;
using test::writeBytes;
using Fields = std::vector<std::string>;

Fields fieldsOf(CsvRowView view) {
    Fields fields;
    for (; !view.empty(); view.popFront()) {
        fields.emplace_back(view.front());
    }
    return fields;
}

std::vector<Fields> rowsOf(const CsvTable& table) {
    std::vector<Fields> rows;
    for (std::size_t i = 0; i < rowCount(table); ++i) {
        rows.push_back(fieldsOf(rowAt(table, i)));
    }
    return rows;
}

CsvRow rowOf(const Fields& fields) {
    CsvRow row;
    for (const auto& field : fields) {
        row.append(field);
    }
    return row;
}

const struct SplitCase {
    std::string line;
    Fields fields;
} kSplitCases[] = {
    {"", {}},
    {"a", {"a"}},
    {"a,b", {"a", "b"}},
    {"a,,b", {"a", "", "b"}},
    {",a", {"", "a"}},
    {"a,", {"a"}},
    {"a,,", {"a", ""}},
    {",", {""}},
    {",,", {"", ""}},
    {" a , b\t", {" a ", " b\t"}},
    {"\"a,b\"", {"\"a", "b\""}},
    {"a\rb\r", {"a\rb\r"}},
    {"\x90\x2C\x90", {"\x90", "\x90"}}, // a comma is a comma, whatever byte precedes it
};

TEST(CsvTable, SplitsLinesByTheRules) {
    for (const auto& c : kSplitCases) {
        CsvRow row;
        row.append("stale");
        splitLine(c.line, row);
        EXPECT_EQ(fieldsOf(row.view()), c.fields) << c.line;

        // The file reader splits the same way.
        CsvTable table;
        ASSERT_TRUE(table.appendLines(c.line));
        ASSERT_EQ(rowCount(table), 1u);
        EXPECT_EQ(fieldsOf(rowAt(table, 0)), c.fields) << c.line;
    }
}

TEST(CsvTable, JoinsRowsWithCommas) {
    EXPECT_EQ(joinRow(rowOf({})), "");
    EXPECT_EQ(joinRow(rowOf({""})), "");
    EXPECT_EQ(joinRow(rowOf({"a", "", "b"})), "a,,b");
    EXPECT_EQ(joinRow(rowOf({"", ""})), ",");
}

TEST(CsvTable, ReadsLineEnds) {
    const struct {
        std::string bytes;
        std::vector<Fields> rows;
    } cases[] = {
        {"", {{}}},
        {"1,2,3", {{"1", "2", "3"}}},
        {"1,2,3\r\n", {{"1", "2", "3"}, {}}},
        {"1,2,3\n", {{"1", "2", "3"}, {}}},
        {"a\r\r\nb", {{"a\r"}, {"b"}}},
        {"a\rb\n\n", {{"a\rb"}, {}, {}}},
        {"\r\n", {{}, {}}},
        {"\r", {{"\r"}}},
        {"\xEF\xBB\xBFx,y\n", {{"\xEF\xBB\xBFx", "y"}, {}}},
        {std::string("a\0b,c", 5), {{std::string("a\0b", 3), "c"}}},
    };
    ScratchDir dir;
    for (const auto& c : cases) {
        writeBytes(dir / "t.csv", c.bytes);
        CsvTable table;
        ASSERT_TRUE(readTable(dir / "t.csv", table));
        EXPECT_EQ(rowsOf(table), c.rows) << c.bytes;
    }
}

TEST(CsvTable, AppendsReadRowsAfterExistingOnes) {
    ScratchDir dir;
    writeBytes(dir / "t.csv", "x,y\r\n");
    CsvTable table;
    appendRow(table, rowOf({"first"}));
    ASSERT_TRUE(readTable(dir / "t.csv", table));
    EXPECT_EQ(rowsOf(table), (std::vector<Fields>{{"first"}, {"x", "y"}, {}}));
}

TEST(CsvTable, WriteThenReadGivesTheRowsBack) {
    const std::vector<Fields> rows = {{"Quorlane Motion Data 0002", "0"},
                                      {"\x90\x58\x96\xEC"},
                                      {},
                                      {"a", "", "b"},
                                      {"1"},
                                      {"last empty", ""},
                                      {"a,b"},
                                      {""}};
    CsvTable table;
    CsvRow row;
    for (const auto& fields : rows) {
        clearRow(row);
        for (const auto& field : fields) {
            row.append(field);
        }
        appendRow(table, row);
    }
    ScratchDir dir;
    writeBytes(dir / "t.csv", std::string(10000, 'z'));
    ASSERT_TRUE(writeTable(dir / "t.csv", table));
    EXPECT_EQ(readBytes(dir / "t.csv"), "Quorlane Motion Data 0002,0\r\n\x90\x58\x96\xEC\r\n\r\n"
                                        "a,,b\r\n1\r\nlast empty,\r\na,b\r\n\r\n");
    CsvTable back;
    ASSERT_TRUE(readTable(dir / "t.csv", back));
    // A final empty field is lost, a comma inside a field splits it, and a final empty row
    // stands for the last line end.
    EXPECT_EQ(rowsOf(back), (std::vector<Fields>{{"Quorlane Motion Data 0002", "0"},
                                                 {"\x90\x58\x96\xEC"},
                                                 {},
                                                 {"a", "", "b"},
                                                 {"1"},
                                                 {"last empty"},
                                                 {"a", "b"},
                                                 {},
                                                 {}}));
}

TEST(CsvTable, RewritesReadTablesCanonically) {
    ScratchDir dir;
    writeBytes(dir / "in.csv", "a,b\nc,\r\n,d\r\ne\r\r\nf");
    CsvTable table;
    ASSERT_TRUE(readTable(dir / "in.csv", table));
    ASSERT_TRUE(writeTable(dir / "out.csv", table));
    EXPECT_EQ(readBytes(dir / "out.csv"), "a,b\r\nc\r\n,d\r\ne\r\r\nf\r\n");
}

TEST(CsvTable, FailuresChangeNothing) {
    ScratchDir dir;
    CsvTable table;
    EXPECT_FALSE(readTable(dir / "missing.csv", table));
    EXPECT_EQ(rowCount(table), 0u);
    EXPECT_FALSE(writeTable(dir / "missing" / "out.csv", table));
    std::filesystem::create_directory(dir / "folder.csv");
    EXPECT_FALSE(writeTable(dir / "folder.csv", table));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"folder.csv"});
}

TEST(CsvTable, EmptyTableWritesAnEmptyFile) {
    ScratchDir dir;
    writeBytes(dir / "t.csv", "old");
    ASSERT_TRUE(writeTable(dir / "t.csv", CsvTable{}));
    EXPECT_EQ(readBytes(dir / "t.csv"), "");
}

TEST(CsvRowView, ConsumesFromTheFrontWithoutChangingTheRow) {
    const CsvRow row = rowOf({"a", "bc", ""});
    CsvRowView view = row.view();
    CsvRowView copy = view;
    view.popFront();
    EXPECT_EQ(view.front(), "bc");
    EXPECT_EQ(view.fieldCount(), 2u);
    EXPECT_EQ(copy.front(), "a");
    EXPECT_EQ(row.field(2), "");
    EXPECT_EQ(fieldsOf(row.view(1)), (Fields{"bc", ""}));
}

} // namespace
} // namespace qlx::csv
