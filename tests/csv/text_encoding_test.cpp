// Text encodings: every character's code page 932 code against the system's own converter, which
// files read as UTF-8, UTF-8 turned into code page 932 however the bytes arrive, and UTF-16 read
// as UTF-8, every character of it against Python's codecs, however few bytes each read takes.
#include "csv/text_encoding.h"

#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdio>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

namespace qlx::csv {
namespace {

// The six characters that the JIS table maps where the Windows table has other characters.
constexpr char32_t kJisForms[] = {0x301C, 0x2016, 0x2212, 0x00A2, 0x00A3, 0x00AC};

// Every character has the code Windows writes; the six JIS forms, which Windows writes no code
// for, have theirs.
TEST(TextEncoding, EveryCharacterHasTheCodeWindowsWrites) {
    for (char32_t c = 0; c < 0x10000; ++c) {
        if ((c < 0xD800 || c >= 0xE000) && std::ranges::find(kJisForms, c) == std::end(kJisForms)) {
            ASSERT_EQ(shiftJisCode(c), test::systemShiftJisCode(c)) << std::hex << unsigned(c);
        }
    }
    EXPECT_FALSE(shiftJisCode(0x1F600)) << "beyond the 16-bit characters";
}

// Python's codecs are the oracle for the JIS forms (jis_forms.py): its shift_jis codec decodes each
// code to the JIS character and encodes it back, and its cp932 codec encodes that character, and
// the one that Windows decodes the code to, to the same code. Text that went through either comes
// back.
TEST(TextEncoding, TheJisFormsHaveTheCodesPythonGivesThem) {
    const char* script = "python3 '" QLX_SOURCE_DIR "/tests/csv/jis_forms.py' "
                         "12316 8214 8722 162 163 172 2>/dev/null";
    FILE* python = popen(script, "r");
    std::string out;
    char buffer[256];
    while (python != nullptr && std::fgets(buffer, sizeof buffer, python) != nullptr) {
        out += buffer;
    }
    if (python == nullptr || pclose(python) != 0) {
        GTEST_SKIP() << "Python 3 with its shift_jis and cp932 codecs is needed as the oracle";
    }
    std::istringstream lines(out);
    for (const char32_t jis : kJisForms) {
        unsigned code = 0;
        unsigned windows = 0;
        ASSERT_TRUE(lines >> std::hex >> code >> std::dec >> windows) << out;
        EXPECT_EQ(shiftJisCode(jis), code) << std::hex << unsigned(jis);
        EXPECT_EQ(shiftJisCode(windows), code) << std::hex << windows;
        std::string utf8;
        for (const char32_t c : {jis, char32_t(windows)}) {
            utf8 += {char(0xE0 | c >> 12), char(0x80 | (c >> 6 & 0x3F)), char(0x80 | (c & 0x3F))};
            if (c < 0x800) { // two bytes
                utf8.resize(utf8.size() - 3);
                utf8 += {char(0xC0 | c >> 6), char(0x80 | (c & 0x3F))};
            }
        }
        const std::string bytes = {char(code >> 8), char(code & 0xFF)};
        std::string text = utf8;
        const auto size = shiftJisFromUtf8(text);
        ASSERT_TRUE(size);
        EXPECT_EQ(text.substr(0, *size), bytes + bytes);
    }
}

TextEncoding detect(std::string_view bytes, std::size_t piece) {
    EncodingDetector detector;
    for (std::size_t at = 0; at < bytes.size() && !detector.add(bytes.substr(at, piece));) {
        at += piece;
    }
    return detector.encoding();
}

TEST(TextEncoding, FilesWithoutTheMarkAreUtf8WhenEveryCharacterFits) {
    const std::string mark = "\xEF\xBB\xBF";
    const std::vector<std::pair<std::string, TextEncoding>> cases = {
        {"", TextEncoding::ShiftJis},
        {"abc,1\r\n2", TextEncoding::ShiftJis}, // ASCII reads the same either way
        {"a,\xE6\xA3\xAE\xE9\x87\x8E", TextEncoding::Utf8},
        {"x\xC2\xA7", TextEncoding::ShiftJis},         // two-byte characters only: half-width kana
        {"x\xC2\xA7\xE3\x81\x82", TextEncoding::Utf8}, // and a kana of three bytes
        {"x\xC3\xA9", TextEncoding::ShiftJis},         // half-width kana that are UTF-8 for U+00E9
        {"\x83\x5A\x83\x93", TextEncoding::ShiftJis},  // Shift-JIS, no UTF-8
        {"\xE6\xA3\xAE\xE6\xA3", TextEncoding::ShiftJis}, // cut off at the end
        {"\xC0\xAF", TextEncoding::ShiftJis},             // an overlong form
        {"\xE0\x80\xAF", TextEncoding::ShiftJis},         // an overlong form of three bytes
        {"abcdefgh\xB1"
         "bcdefgh\xE3\x81\x82",
         TextEncoding::ShiftJis},                     // a stray byte in ASCII
        {"\xED\xA0\x80", TextEncoding::ShiftJis},     // a surrogate
        {"\xF0\x9F\x98\x80", TextEncoding::ShiftJis}, // beyond 16 bits: no code
        {"a" + mark, TextEncoding::ShiftJis},         // a mark has no code
        {std::string(100, 'a') + "\xE3\x81\x82" + std::string(100, 'b'), TextEncoding::Utf8}};
    for (const auto& [bytes, encoding] : cases) {
        for (const std::size_t piece :
             {std::size_t{1}, std::size_t{2}, std::size_t{7}, bytes.size() + 1}) {
            EXPECT_EQ(detect(bytes, piece), encoding) << bytes << " in pieces of " << piece;
        }
    }
    // Every pair of half-width kana that is also a character of two bytes in UTF-8 (lead C2-DF,
    // trail A1-BF), alone or all together, keeps a file Shift-JIS.
    std::string all = "morph,";
    for (int lead = 0xC2; lead <= 0xDF; ++lead) {
        for (int trail = 0xA1; trail <= 0xBF; ++trail) {
            const std::string pair = {char(lead), char(trail)};
            all += pair;
            ASSERT_EQ(detect("name," + pair + ",1", 64), TextEncoding::ShiftJis) << pair;
        }
    }
    EXPECT_EQ(detect(all, 64), TextEncoding::ShiftJis);
}

TEST(TextEncoding, Utf8BecomesShiftJisInPlace) {
    // The Shift-JIS text, or the character that has no code (0 for bytes that are no UTF-8).
    const std::vector<std::pair<std::string, std::variant<std::string, char32_t>>> cases = {
        {"\xE6\xA3\xAE\xE9\x87\x8E\xE3\x83\xA6\xE3\x83\xA9,1",
         "\x90\x58\x96\xEC\x83\x86\x83\x89,1"},
        {"a\xEF\xBD\xB1", "a\xB1"},                       // half-width kana
        {"\xE2\x85\xB0\xE2\x88\xB5", "\xFA\x40\x81\xE6"}, // Windows' choice among duplicates
        {"\xEE\x80\x80", "\xF0\x40"},                     // the first user-defined code
        {"a\xFF", char32_t{0}},
        {"a\xE6\xA3", char32_t{0}},                          // cut off at the end
        {"\xEF\xBB\xBF", char32_t{0xFEFF}},                  // a mark inside the text has no code
        {"\xE3\x81\x82\xF0\x9F\x98\x80", char32_t{0x1F600}}, // beyond 16 bits
    };
    for (const auto& [utf8, result] : cases) {
        std::string text = utf8;
        const auto size = shiftJisFromUtf8(text);
        ASSERT_EQ(size.has_value(), result.index() == 0) << utf8;
        if (size) {
            EXPECT_EQ(text.substr(0, *size), std::get<0>(result)) << utf8;
        } else {
            EXPECT_EQ(size.error().character, std::get<1>(result)) << utf8;
        }
    }
}

// Python (utf16_texts.py) writes every character from U+0001 to U+FFFF but the surrogates, and some
// beyond, in UTF-16 of both byte orders, and in UTF-8; then single surrogates, which are no UTF-16
// and read as a byte that is no UTF-8. The mark U+FEFF inside the text is dropped.
TEST(TextReader, ReadsUtf16AsPythonsCodecsWriteIt) {
    test::ScratchDir dir;
    const std::string script = "python3 '" QLX_SOURCE_DIR "/tests/csv/utf16_texts.py' '" +
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
