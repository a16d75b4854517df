// Text encodings: every character's code page 932 code against the system's own converter, which
// files read as UTF-8, and UTF-8 turned into code page 932 however the bytes arrive.
#include "csv/text_encoding.h"

#include "motion/document.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qlx::csv {
namespace {

TEST(TextEncoding, EveryCharacterHasTheCodeWindowsWrites) {
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (c < 0xD800 || c >= 0xE000) {
            ASSERT_EQ(shiftJisCode(c), test::systemShiftJisCode(c)) << std::hex << unsigned(c);
        }
    }
    EXPECT_FALSE(shiftJisCode(0x1F600)) << "beyond the 16-bit characters";
}

TextEncoding detect(std::string_view bytes, std::size_t piece) {
    EncodingDetector detector;
    for (std::size_t at = 0; at < bytes.size() && !detector.add(bytes.substr(at, piece));) {
        at += piece;
    }
    return detector.encoding();
}

TEST(TextEncoding, FilesAreUtf8WhenMarkedOrWhenEveryCharacterFits) {
    const std::string mark = "\xEF\xBB\xBF";
    const std::vector<std::pair<std::string, TextEncoding>> cases = {
        {"", TextEncoding::ShiftJis},
        {"abc,1\r\n2", TextEncoding::ShiftJis}, // ASCII reads the same either way
        {mark, TextEncoding::Utf8WithMark},
        {mark + "\xFF",
         TextEncoding::Utf8WithMark}, // decided by the mark; its text is checked later
        {"a,\xE6\xA3\xAE\xE9\x87\x8E", TextEncoding::Utf8},
        {"x\xC2\xA7", TextEncoding::Utf8},            // U+00A7 has a code
        {"x\xC3\xA9", TextEncoding::ShiftJis},        // half-width kana that are UTF-8 for U+00E9
        {"\x83\x5A\x83\x93", TextEncoding::ShiftJis}, // Shift-JIS, no UTF-8
        {"\xE6\xA3\xAE\xE6\xA3", TextEncoding::ShiftJis}, // cut off at the end
        {"\xC0\xAF", TextEncoding::ShiftJis},             // an overlong form
        {"\xE0\x80\xAF", TextEncoding::ShiftJis},         // an overlong form of three bytes
        {"abcdefgh\xB1"
         "bcdefgh\xE3\x81\x82",
         TextEncoding::ShiftJis},                     // a stray byte in ASCII
        {"\xED\xA0\x80", TextEncoding::ShiftJis},     // a surrogate
        {"\xF0\x9F\x98\x80", TextEncoding::ShiftJis}, // beyond 16 bits: no code
        {"a" + mark, TextEncoding::ShiftJis},         // a mark that does not begin the file
        {std::string(100, 'a') + "\xE3\x81\x82" + std::string(100, 'b'), TextEncoding::Utf8}};
    for (const auto& [bytes, encoding] : cases) {
        for (const std::size_t piece :
             {std::size_t{1}, std::size_t{2}, std::size_t{7}, bytes.size() + 1}) {
            EXPECT_EQ(detect(bytes, piece), encoding) << bytes << " in pieces of " << piece;
        }
    }
}

TEST(TextEncoding, Utf8BecomesShiftJisHoweverItArrives) {
    const std::string mark = "\xEF\xBB\xBF";
    // shiftJis: nothing: invalid
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"\xE6\xA3\xAE\xE9\x87\x8E\xE3\x83\xA6\xE3\x83\xA9,1\r\n",
         std::string(motion::kDefaultModelName) + ",1\r\n"},
        {mark + "a\xEF\xBD\xB1", "a\xB1"},                // the mark dropped; half-width kana
        {"\xE2\x85\xB0\xE2\x88\xB5", "\xFA\x40\x81\xE6"}, // Windows' choice among duplicates
        {"\xEE\x80\x80", "\xF0\x40"},                     // the first user-defined code
        {mark + "a\xFF", std::nullopt},
        {"a\xC3\xA9", std::nullopt},
        {"a\xE6\xA3", std::nullopt},
        {mark + mark, std::nullopt} // a second mark is a character without a code
    };
    for (const auto& [utf8, shiftJis] : cases) {
        for (const std::size_t piece : {1u, 2u, 3u, 64u}) {
            ShiftJisFromUtf8 text(test::sourceOf(utf8, piece));
            std::string read;
            char buffer[8];
            for (std::optional<std::size_t> n; (n = text.read(buffer)) && *n > 0;) {
                read.append(buffer, *n);
            }
            EXPECT_EQ(text.invalid(), !shiftJis) << utf8 << " in pieces of " << piece;
            EXPECT_TRUE(!shiftJis || read == *shiftJis) << utf8 << " in pieces of " << piece;
        }
    }
}

} // namespace
} // namespace qlx::csv
