// How a file's text is written, told from its first bytes: the byte-order marks, the separator
// of the first line, and Shift-JIS that would read as UTF-8 too.
#include "csv/text_form.h"

#include "csv/row_reader.h"

#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qlx::csv {
namespace {

TEST(TextForm, IsToldFromTheFirstBytes) {
    const struct {
        std::string bytes;
        TextEncoding encoding;
        std::uint64_t start;
        char separator;
        std::string alsoUtf8; // "line:text" of the note, or empty
    } cases[] = {
        {"Quorlane Motion Data 0002,0\r\n", TextEncoding::ShiftJis, 0, ',', ""},
        {"Quorlane Motion Data 0002;0\r\n", TextEncoding::ShiftJis, 0, ';', ""},
        {"Quorlane Motion Data 0002\t0\r\n", TextEncoding::ShiftJis, 0, '\t', ""},
        {"\"Quorlane; Motion\"\"\t\";0\r\n", TextEncoding::ShiftJis, 0, ';', ""},
        {"Quorlane Motion Data 0002\r\nx;y,z\r\n", TextEncoding::ShiftJis, 0, ',', ""},
        // The one separator that splits line 1 as a header row, whatever the signature holds.
        {"Quor;lane Motion Data 0002,0\r\n", TextEncoding::ShiftJis, 0, ',', ""},
        {"Quor\tlane,Motion Data 0002;-7\r\n", TextEncoding::ShiftJis, 0, ';', ""},
        {"Quor;lane\tMotion Data 0002, 12 ,,,\r\n", TextEncoding::ShiftJis, 0, ',', ""},
        {"\"Quor,lane\";0;;;\r\n", TextEncoding::ShiftJis, 0, ';', ""},
        {"Quor;lane Motion Data 0002\t+0\t\t\r\n", TextEncoding::ShiftJis, 0, '\t', ""},
        // None or several: the first outside quotes.
        {"Quor;lane,x\r\n", TextEncoding::ShiftJis, 0, ';', ""},
        {"Q;1,x\r\n", TextEncoding::ShiftJis, 0, ';', ""},
        {"\"Q;1\",x;y\r\n", TextEncoding::ShiftJis, 0, ',', ""},
        {"0\r\n", TextEncoding::ShiftJis, 0, ',', ""},
        {"", TextEncoding::ShiftJis, 0, ',', ""},
        {"\xEF\xBB\xBFQ;0", TextEncoding::Utf8, 3, ';', ""},
        {std::string("\xFF\xFEQ\0\t\0"
                     "0\0",
                     8),
         TextEncoding::Utf16Le, 2, '\t', ""},
        {std::string("\xFE\xFF\0Q\0;\0"
                     "0",
                     8),
         TextEncoding::Utf16Be, 2, ';', ""},
        {"Q,0\r\n\xE6\xA3\xAE\r\n", TextEncoding::Utf8, 0, ',', ""},
        {"Q,0\r\n\x90\x58\x96\xEC\r\n", TextEncoding::ShiftJis, 0, ',', ""},
        // Every character of two bytes: both readings hold; the field of the first is noted.
        {"Q,0\r\n2\r\nr\xC2\xB0"
         "C,1;x\r\n\xCE\xB1",
         TextEncoding::ShiftJis, 0, ',',
         "3:r\xC2\xB0"
         "C"},
        // The field is the file's own: a semicolon in a comma-separated file is text.
        {"Q,0\r\n2\r\nx;r\xC2\xB0"
         "C,1\r\n",
         TextEncoding::ShiftJis, 0, ',',
         "3:x;r\xC2\xB0"
         "C"},
    };
    for (const auto& c : cases) {
        platform::File file = test::fileOf(c.bytes);
        const auto first = readTextForm(file);
        ASSERT_TRUE(first) << c.bytes;
        // The encoding of a file without a mark is decided by the rows, where they leave ASCII.
        RowReader rows(file, c.bytes.size(), *first);
        while (rows.more()) {
            ASSERT_TRUE(rows.next() || c.encoding != TextEncoding::ShiftJis) << c.bytes;
        }
        const TextForm& form = rows.form();
        const bool ascii = std::ranges::none_of(c.bytes, [](char b) { return b & 0x80; });
        EXPECT_EQ(form.decided, !ascii || c.start > 0) << c.bytes;
        EXPECT_EQ(form.encoding, c.encoding) << c.bytes;
        EXPECT_EQ(form.start, c.start) << c.bytes;
        EXPECT_EQ(form.separator, c.separator) << c.bytes;
        EXPECT_EQ(form.alsoUtf8 ? std::to_string(form.alsoUtf8->line) + ":" + form.alsoUtf8->text
                                : "",
                  c.alsoUtf8)
            << c.bytes;
    }
}

} // namespace
} // namespace qlx::csv
