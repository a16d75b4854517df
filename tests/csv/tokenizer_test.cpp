// The quote rule against the oracle, on every short text of the characters that matter: a field's
// end found in the whole text, and in the text cut at every position and scanned on from where
// the cut one said to go on.
#include "csv/tokenizer.h"

#include "csv/row_view.h"
#include "tests/support/csv_oracle.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qlx::csv {
namespace {

using Kind = FieldEnd::Kind;

// Every text of up to `longest` characters from the alphabet.
std::vector<std::string> everyText(std::string_view alphabet, std::size_t longest) {
    std::vector<std::string> texts = {""};
    for (std::size_t first = 0, length = 0; length < longest; ++length) {
        const std::size_t last = texts.size();
        for (std::size_t t = first; t < last; ++t) {
            for (const char c : alphabet) {
                texts.push_back(texts[t] + c);
            }
        }
        first = last;
    }
    return texts;
}

// Split by the view, a row's fields are the oracle's.
TEST(Tokenizer, SplitsARowAsTheOracle) {
    for (const char separator : {',', ';'}) {
        const std::string alphabet = std::string("a\" ") + separator;
        for (const std::string& row : everyText(alphabet, 7)) {
            std::vector<std::string> fields;
            for (CsvRowView view = test::fieldsOf(row, separator); !view.empty(); view.popFront()) {
                fields.emplace_back(view.front());
            }
            std::vector<std::string> expected;
            for (const auto& field : test::oracleFields(row, separator)) {
                expected.push_back(field.text);
            }
            ASSERT_EQ(fields, expected) << row;
        }
    }
}

// A field's end found in a cut text is the whole text's, or says to go on from a point before
// which every byte is the field's (or, with a quote still open, scanned); scanned on from there,
// the whole text gives the same end. Only where the field's quote closes is it quoted, as the
// oracle says.
TEST(Tokenizer, FindsTheSameEndInTextCutAnywhere) {
    const auto sameEnd = [](const FieldEnd& a, const FieldEnd& b) {
        return a.kind == b.kind && a.at == b.at && a.quoted == b.quoted &&
               (!a.quoted || a.closing == b.closing);
    };
    for (const std::string& text : everyText("a,\"\r\n", 8)) {
        const FieldEnd whole = fieldEnd(text, 0, ',', true);
        const bool quoted = text.starts_with('"') && test::oracleClosing(text, 0, ',').has_value();
        ASSERT_EQ(whole.quoted, quoted) << text;
        // A field is scanned once its first byte is there.
        for (std::size_t cut = 1; cut <= text.size(); ++cut) {
            const FieldEnd end = fieldEnd(std::string_view(text).substr(0, cut), 0, ',', false);
            if (end.kind != Kind::More) {
                ASSERT_TRUE(sameEnd(end, whole) && end.doubled == whole.doubled)
                    << text << " cut at " << cut;
                continue;
            }
            ASSERT_LE(end.at, cut) << text;
            FieldEnd on =
                end.open ? quotedEnd(text, end.at, ',', true) : plainEnd(text, end.at, ',', true);
            on = on.kind == Kind::Plain ? plainEnd(text, 0, ',', true) : on;
            ASSERT_TRUE(sameEnd(on, whole)) << text << " cut at " << cut;
            ASSERT_TRUE(end.open || !whole.quoted) << text << " cut at " << cut;
        }
    }
}

} // namespace
} // namespace qlx::csv
