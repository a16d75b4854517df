// How a file's text is written, told from its first bytes: the byte-order marks, the separator
// of the first line, and Shift-JIS that would read as UTF-8 too; and UTF-16 read as UTF-8, every
// character of it against Python's codecs, however few bytes each read takes.
#include "csv/text_form.h"

#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <cstdio>

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
        {"", TextEncoding::ShiftJis, 0, ',', ""},
        {"\xEF\xBB\xBFQ;0", TextEncoding::Utf8WithMark, 3, ';', ""},
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
    };
    for (const auto& c : cases) {
        platform::File file = test::fileOf(c.bytes);
        const auto form = readTextForm(file);
        ASSERT_TRUE(form) << c.bytes;
        EXPECT_EQ(form->encoding, c.encoding) << c.bytes;
        EXPECT_EQ(form->start, c.start) << c.bytes;
        EXPECT_EQ(form->separator, c.separator) << c.bytes;
        EXPECT_EQ(form->alsoUtf8 ? std::to_string(form->alsoUtf8->line) + ":" + form->alsoUtf8->text
                                 : "",
                  c.alsoUtf8)
            << c.bytes;
    }
}

// Python writes every character from U+0001 to U+FFFF but the surrogates, and some beyond, in
// UTF-16 of both byte orders, and in UTF-8; then single surrogates, which are no UTF-16 and read
// as a byte that is no UTF-8. The mark U+FEFF inside the text is dropped.
TEST(TextReader, ReadsUtf16AsPythonsCodecsWriteIt) {
    test::ScratchDir dir;
    const std::string script = "python3 -c \"import sys\n"
                               "t = ''.join(map(chr, [*range(1, 0xD800), *range(0xE000, 0x10000), "
                               "0x10000, 0x1F600, 0x10FFFF]))\n"
                               "for e in ('utf-16-le', 'utf-16-be', 'utf-8'):\n"
                               "    open(sys.argv[1] + '/' + e, 'wb').write(t.encode(e))\n\" '" +
                               dir.path().string() + "' 2>/dev/null";
    if (std::system(script.c_str()) != 0) {
        GTEST_SKIP() << "Python 3 and its codecs are the oracle";
    }
    // A byte-order mark inside the text is dropped.
    std::string utf8 = test::readBytes(dir / "utf-8");
    utf8.erase(utf8.find("\xEF\xBB\xBF"), 3);
    for (const auto& [name, encoding] : {std::pair("utf-16-le", TextEncoding::Utf16Le),
                                         std::pair("utf-16-be", TextEncoding::Utf16Be)}) {
        const std::string utf16 = test::readBytes(dir / name);
        const std::string lone = encoding == TextEncoding::Utf16Le
                                     ? std::string("a\0\0\xD8"
                                                   "b\0\0\xDC\0\xD8",
                                                   10)
                                     : std::string("\0a\xD8\0\0b\xDC\0\xD8\0", 10);
        for (const std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{1} << 20}) {
            for (const auto& [bytes, text] :
                 {std::pair(utf16, utf8), std::pair(lone, std::string("a\xFF"
                                                                      "b\xFF\xFF"))}) {
                platform::File file = test::fileOf("mk" + bytes);
                TextReader reader(file, {encoding, 2, ',', {}});
                std::string read;
                std::string buffer(piece, '\0');
                for (std::size_t got; (got = *reader.read(buffer)) > 0;) {
                    read.append(buffer, 0, got);
                }
                ASSERT_TRUE(read == text) << name << " in reads of " << piece;
            }
        }
    }
}

} // namespace
} // namespace qlx::csv
