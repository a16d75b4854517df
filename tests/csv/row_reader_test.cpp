// CSV files as rows: the splitting rules, quoted fields, line ends, long lines, and rows both
// ways.
#include "csv/row.h"
#include "csv/row_reader.h"

#include "tests/support/support.h"

#include <gtest/gtest.h>

namespace qlx::csv {
namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows rowsOf(RowReader reader) {
    Rows rows;
    while (reader.more()) {
        auto& fields = rows.emplace_back();
        for (CsvRowView row = reader.next(); !row.empty(); row.popFront()) {
            fields.emplace_back(row.front());
        }
    }
    return rows;
}

TEST(CsvRows, SplitAtEveryCommaAndLineEndOutsideQuotedFields) {
    const std::string longLine(3 << 20, 'x'); // longer than the reader's buffer
    const struct {
        std::string text;
        Rows rows;
    } cases[] = {
        {"", {{}}},
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
        {"a\n" + longLine + ",b\r\nc", {{"a"}, {longLine, "b"}, {"c"}}},
        // Quoted fields: closed by a quote that a comma or a line end follows.
        {"\"a,b\",c", {{"a,b", "c"}}},
        {"\"a\"\"b\",\"\"\"\"\r\n", {{"a\"b", "\""}, {}}},
        {"x,\"a\nb\r\nc\",d\r\ne", {{"x", "a\nb\r\nc", "d"}, {"e"}}},
        {"\"\",\"\",", {{"", ""}}},
        {"a\"b,\"c\"", {{"a\"b", "c"}}},
        {"\"" + longLine + ",\n\",b", {{longLine + ",\n", "b"}}},
        // Quotes that close nothing are plain text.
        {"\"ab\"c,d", {{"\"ab\"c", "d"}}},
        {"\"a,b\nc", {{"\"a", "b"}, {"c"}}},
        {"\"a\"\"", {{"\"a\"\""}}},
        {"\"a\"\rb\r\n", {{"\"a\"\rb"}, {}}},
        {"\"a\"\r\r\nb", {{"\"a\"\r"}, {"b"}}},
        {"\"a\"", {{"a"}}},
        {"\"a\nb\"", {{"a\nb"}}}, // closed by the end of the file
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rowsOf(test::readerOf(c.text)), c.rows) << c.text.substr(0, 20);
        // Bytes that come one at a time give the same rows.
        EXPECT_TRUE(c.text.size() > 1000 || rowsOf(test::readerOf(c.text, 1)) == c.rows) << c.text;
    }
}

TEST(CsvRows, RoundTripWithCrLf) {
    std::string text;
    for (const auto& fields : Rows{{"a", "b"}, {}, {"x", ""}, {"", "y"}, {"\x90\x58"}}) {
        CsvRow row;
        for (const auto& field : fields) {
            row.append(field);
        }
        writeRow(text, row);
    }
    EXPECT_EQ(text, "a,b\r\n\r\nx,\r\n,y\r\n\x90\x58\r\n");
    EXPECT_EQ(rowsOf(test::readerOf(text)),
              (Rows{{"a", "b"}, {}, {"x"}, {"", "y"}, {"\x90\x58"}, {}}));
    RowReader failing([](std::span<char>) { return std::optional<std::size_t>(); });
    failing.skipRest();
    EXPECT_TRUE(failing.failed());
}

} // namespace
} // namespace qlx::csv
