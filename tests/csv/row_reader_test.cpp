// CSV files as rows, against the oracle: every short file of the characters that matter, and
// files whose quotes, line ends and doubled quotes fall where the reader's buffer ends, or whose
// fields outgrow it; each row held whole and read in pieces gives the same fields and lines.
#include "csv/row_reader.h"

#include "csv/row_view.h"
#include "tests/support/csv_oracle.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <tuple>

namespace qlx::csv {
namespace {

using test::OracleRow;

// Pieces do not tell an empty row, or a separator that ends one, from a last field "": the
// walk takes them alike, so empty fields that end a row are left out.
void dropEmptyLast(OracleRow& row) {
    while (!row.fields.empty() && row.fields.back().raw.empty()) {
        row.fields.pop_back();
    }
}

// Each row's line and fields: held, or the raw text of each field's pieces.
std::vector<OracleRow> read(std::string_view text, bool inPieces, char separator) {
    test::TextRows rows(text, {TextEncoding::ShiftJis, 0, separator, {}});
    std::vector<OracleRow> read;
    while (rows->more()) {
        OracleRow& row = read.emplace_back(OracleRow{rows->line(), {}});
        if (!inPieces) {
            const auto held = rows->next();
            EXPECT_TRUE(held);
            for (CsvRowView view(held->text, held->holdsQuote, separator); !view.empty();
                 view.popFront()) {
                row.fields.push_back({std::string(view.front()), {}});
            }
            continue;
        }
        std::string raw;
        for (;;) {
            const auto piece = rows->piece();
            EXPECT_TRUE(piece);
            raw += piece->text;
            if (piece->fieldEnds) {
                row.fields.push_back({{}, std::exchange(raw, {})});
            }
            if (piece->rowEnds) {
                break;
            }
        }
        dropEmptyLast(row);
    }
    return read;
}

std::string shown(const std::vector<OracleRow>& rows, bool raw) {
    std::ostringstream text;
    for (const auto& row : rows) {
        text << row.line << ":";
        for (const auto& field : row.fields) {
            text << "[" << (raw ? field.raw : field.text) << "]";
        }
        text << " ";
    }
    return text.str();
}

// Both ways of reading a file against the oracle; shown short, as files may be long.
void expectAsTheOracle(std::string_view text, std::string_view name, char separator = ',') {
    auto expected = test::oracleRows(text, separator);
    for (const bool inPieces : {false, true}) {
        if (inPieces) {
            std::ranges::for_each(expected, dropEmptyLast);
        }
        const std::string got = shown(read(text, inPieces, separator), inPieces);
        const std::string want = shown(expected, inPieces);
        ASSERT_TRUE(got == want) << name << (inPieces ? " in pieces" : " held") << "\n got "
                                 << got.substr(0, 200) << "\nwant " << want.substr(0, 200);
    }
}

// Blanks after a closing quote, CRs before a line end, and a tab that separates or does not. A
// system whose files are slow to make reads shorter ones.
TEST(RowReader, ReadsEveryShortFileAsTheOracle) {
    const int less = test::filesAreCheap() ? 0 : 2;
    for (const auto& [alphabet, separator, longest] :
         {std::tuple("a,\" \r\n", ',', 6 - less), std::tuple("a\t\" ;\r\n", '\t', 5 - less)}) {
        std::vector<std::string> texts = {""};
        for (std::size_t first = 0, length = 0; length < std::size_t(longest); ++length) {
            const std::size_t last = texts.size();
            for (std::size_t t = first; t < last; ++t) {
                for (const char c : std::string_view(alphabet)) {
                    texts.push_back(texts[t] + c);
                }
            }
            first = last;
        }
        for (const auto& text : texts) {
            expectAsTheOracle(text, text, separator);
        }
    }
}

// Where the buffer's first read ends (1 MiB), every short pattern stands just before, across and
// just after it; fields longer than the buffer are quoted and close, quoted and never close, or
// plain, with rows after them.
TEST(RowReader, ReadsAcrossTheBufferAsTheOracle) {
    constexpr std::size_t kBuffer = std::size_t{1} << 20;
    const std::string patterns[] = {"\"a\"\r\nb", "\"a\"\"b\",c", "a\r\nb",       "\"a\nb\"\r\n",
                                    "\"\"\"\"\n", "\"a\"\rb\n",   "x\"y\",\"z\n", "\r\r\n"};
    for (const auto& pattern : patterns) {
        for (std::size_t at = kBuffer - 4; at <= kBuffer + 1; ++at) {
            const std::string text = std::string(at - 1, 'p') + "\n" + pattern + "\"q\n,\"";
            expectAsTheOracle(text, pattern + " at " + std::to_string(at));
        }
    }
    const std::string field(3 * kBuffer, 'f');
    const std::string longFields[] = {
        "a,\"" + field + "\"\"\n\",b\r\nc",       // quoted, a doubled quote and a line end inside
        "\"" + field + ",b\nc\n" + field,         // a quote that never closes: plain, to each LF
        "a,\"x" + field + "\"y,b\nc",             // closed by a quote that is followed by text
        "\"" + field + "\"\r",                    // closed where a CR ends the file
        field + ",\"" + field + "\"\r\n" + field, // plain, quoted and plain rows
    };
    for (const auto& text : longFields) {
        expectAsTheOracle(text, text.substr(0, 8));
    }
}

} // namespace
} // namespace qlx::csv
