// Rows judged from their text in pieces, against the same rows split into fields by the row view:
// every row of up to six characters from an alphabet of the characters that matter.
#include "csv/streamed_row.h"

#include "csv/row_view.h"
#include "io/fixed_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace qlx::csv {
namespace {

struct Judged {
    bool blank;
    bool block;
    std::vector<std::uint8_t> bytes;
};

// What the fields of the row say, as the view splits them.
Judged byFields(std::string_view row) {
    Judged judged{true, true, {}};
    std::size_t field = 0;
    for (CsvRowView view(row); !view.empty(); view.popFront(), ++field) {
        const std::string_view text = view.front();
        judged.blank = judged.blank && std::ranges::all_of(text, io::isSpace);
        if (field == 0) {
            const bool digits = text.starts_with("0x") && text.size() % 2 == 0 &&
                                std::all_of(text.begin() + 2, text.end(),
                                            [](char c) { return std::isxdigit(c) != 0; });
            judged.block = digits;
            for (std::size_t i = 2; digits && i < text.size(); i += 2) {
                judged.bytes.push_back(static_cast<std::uint8_t>(
                    std::stoi(std::string(text.substr(i, 2)), nullptr, 16)));
            }
        } else {
            judged.block = judged.block && text.empty();
        }
    }
    judged.block = judged.block && field > 0;
    if (!judged.block) {
        judged.bytes.clear();
    }
    return judged;
}

Judged byPieces(std::string_view row, std::size_t piece) {
    BlankCheck blank;
    ByteBlockRow check;
    std::vector<std::uint8_t> bytes;
    ByteBlockRow decode([&](std::span<const std::uint8_t> more) {
        bytes.insert(bytes.end(), more.begin(), more.end());
    });
    for (std::size_t at = 0; at < row.size(); at += piece) {
        const std::string_view part = row.substr(at, piece);
        blank.add(part);
        check.add(part);
        decode.add(part);
    }
    return {blank.blank(), check.isBlock(), check.isBlock() ? bytes : std::vector<std::uint8_t>{}};
}

TEST(StreamedRow, JudgesEveryShortRowAsItsFieldsSay) {
    const std::string alphabet = "0xA\", g";
    std::vector<std::string> rows = {""};
    for (std::size_t length = 0, first = 0; length < 6; ++length) {
        const std::size_t last = rows.size();
        for (std::size_t r = first; r < last; ++r) {
            for (const char c : alphabet) {
                rows.push_back(rows[r] + c);
            }
        }
        first = last;
    }
    rows.push_back("0x" + std::string(10000, 'f') + ",,\"\"");
    for (const auto& row : rows) {
        const Judged expected = byFields(row);
        for (const std::size_t piece : {std::size_t{1}, std::size_t{3}, row.size() + 1}) {
            const Judged judged = byPieces(row, piece);
            ASSERT_EQ(judged.blank, expected.blank) << row << " in pieces of " << piece;
            ASSERT_EQ(judged.block, expected.block) << row << " in pieces of " << piece;
            ASSERT_EQ(judged.bytes, expected.bytes) << row << " in pieces of " << piece;
        }
    }
}

} // namespace
} // namespace qlx::csv
