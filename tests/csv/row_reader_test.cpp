// CSV files as rows: the splitting rules, quoted fields, line ends, long lines and bytes that
// come in any pieces; rows streamed in pieces as they are taken whole, and the line each begins on.
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

// Each row's line and text, taken whole or streamed in pieces.
std::vector<std::pair<std::uint64_t, std::string>> linesOf(RowReader reader, bool streamed) {
    std::vector<std::pair<std::uint64_t, std::string>> lines;
    while (reader.more()) {
        std::string text;
        if (streamed) {
            reader.streamLine([&](std::string_view piece) { text += piece; });
        } else {
            text = reader.nextLine().text;
        }
        lines.emplace_back(reader.line(), text);
    }
    return lines;
}

TEST(CsvRows, SplitAtEveryCommaAndLineEndOutsideQuotedFields) {
    const std::string longLine(3 << 20, 'x'); // longer than the reader's buffer
    const std::vector<std::pair<std::string, Rows>> cases = {
        {"", {}}, // no line at all
        {"a,,b", {{"a", "", "b"}}},
        {",a", {{"", "a"}}},
        {"a,", {{"a"}}},
        {"a,,", {{"a", ""}}},
        {",", {{""}}},
        {" \"a ,b\"", {{" \"a ", "b\""}}},
        {"1,2,3\r\n", {{"1", "2", "3"}}}, // the final line end starts no row
        {"1\n2\r\n\r\n", {{"1"}, {"2"}, {}}},
        {"\n", {{}}},
        {"a\rb\r", {{"a\rb"}}}, // a CR alone ends the last line only
        {"a\r\r\n", {{"a\r"}}},
        {"a\r\r", {{"a\r"}}},
        {"\xEF\xBB\xBFx,\x83\x5C", {{"\xEF\xBB\xBFx", "\x83\x5C"}}},
        {"a\n" + longLine + ",b\r\nc", {{"a"}, {longLine, "b"}, {"c"}}},
        // Quoted fields: closed by a quote that a comma or a line end follows.
        {"\"a,b\",c", {{"a,b", "c"}}},
        {"\"a\"\"b\",\"\"\"\"\r\n", {{"a\"b", "\""}}},
        {"x,\"a\nb\r\nc\",d\r\ne", {{"x", "a\nb\r\nc", "d"}, {"e"}}},
        {"\"\",\"\",", {{"", ""}}},
        {"a\"b,\"c\"", {{"a\"b", "c"}}},
        {"\"" + longLine + ",\n\",b", {{longLine + ",\n", "b"}}},
        {"a,\"" + longLine + "\"\"\n\"\r\nb", {{"a", longLine + "\"\n"}, {"b"}}},
        // Quotes that close nothing are plain text.
        {"\"ab\"c,d", {{"\"ab\"c", "d"}}},
        {"\"a,b\nc", {{"\"a", "b"}, {"c"}}},
        {"\"" + longLine + ",b\n" + longLine, {{"\"" + longLine, "b"}, {longLine}}},
        {"a,\"x" + longLine + "\"y,b\nc", {{"a", "\"x" + longLine + "\"y", "b"}, {"c"}}},
        {"\"a\"\"", {{"\"a\"\""}}},
        {"\"a\"\rb\r\n", {{"\"a\"\rb"}}},
        {"\"a\"\r", {{"a"}}},
        {"\"a\"\r\r\nb", {{"\"a\"\r"}, {"b"}}},
        {"\"a\"", {{"a"}}},
        {"\"a\nb\"", {{"a\nb"}}}, // closed by the end of the file
        {"\"a\nb\"\r\nc", {{"a\nb"}, {"c"}}}};
    for (const auto& [text, rows] : cases) {
        EXPECT_EQ(rowsOf(test::readerOf(text)), rows) << text.substr(0, 20);
        // Bytes that come one at a time give the same rows.
        EXPECT_TRUE(text.size() > 1000 || rowsOf(test::readerOf(text, 1)) == rows) << text;
        // Streamed in pieces, a row is the same text, however long.
        EXPECT_EQ(linesOf(test::readerOf(text), true), linesOf(test::readerOf(text), false))
            << text.substr(0, 20);
    }
}

// The line a row begins on counts every LF before it, those in quoted fields too.
TEST(CsvRows, KnowTheLineEachRowBeginsOn) {
    const std::vector<std::pair<std::string, std::vector<std::uint64_t>>> cases = {
        {"", {}},
        {"a\r\nb\n\nc", {1, 2, 3, 4}},
        {"\"a\nb\r\n\",c\nd\n", {1, 4}},
        {"x\n\"a\nb\"x\ny", {1, 2, 3, 4}}, // the quote closes nothing: LFs end rows
        {"a\rb\nc", {1, 2}},               // a CR alone is no line end
    };
    for (const auto& [text, starts] : cases) {
        for (const bool streamed : {false, true}) {
            std::vector<std::uint64_t> lines;
            for (const auto& [line, row] : linesOf(test::readerOf(text), streamed)) {
                lines.push_back(line);
            }
            EXPECT_EQ(lines, starts) << text << (streamed ? " streamed" : "");
        }
    }
}

} // namespace
} // namespace qlx::csv
