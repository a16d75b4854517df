// The field codec: what each writer appends, and what each reader takes, leaves and consumes.
#include "csv/field_codec.h"

#include "csv/row_view.h"
#include "tests/support/support.h"
#include "text/fixed_text.h"

#include <gtest/gtest.h>

#include <tuple>

#include <string>
#include <vector>

namespace qlx::csv {
namespace {

TEST(FieldCodec, WritersAppendOneFieldEach) {
    CsvRow row;
    appendInt(row, -1);
    appendInt(row, -2147483647 - 1);
    appendUnsigned(row, 4294967295u);
    appendFloat(row, 1e6f);
    appendFloat(row, -0.0f);
    appendName(row, std::array<char, 15>{'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l',
                                         'm', 'n', 'o'});
    appendName(row, std::array<char, 4>{'x', '\0', 'y', 'z'});
    appendHex(row, std::array<std::uint8_t, 4>{0x00, 0x0A, 0xFF, 0xC3});
    appendHex(row, std::span<const std::uint8_t>());
    EXPECT_EQ(row.text(), "-1,-2147483648,4294967295,1e+06,-0,abcdefghijklmno,x,0x000AFFC3,0x");
}

TEST(FieldCodec, NumberReadersLeaveTargetsOnFailure) {
    std::int32_t a = 5, b = 5, c = 5, d = 5;
    EXPECT_EQ(takeInt(" 42 ", a), Taken::Whole);
    EXPECT_EQ(takeInt("42.9", b), Taken::Partly);
    EXPECT_EQ(takeInt("", c), Taken::NotRead);
    EXPECT_EQ(takeInt("x", d), Taken::NotRead);
    EXPECT_EQ(std::vector<int>({a, b, c, d}), std::vector<int>({42, 42, 5, 5}));
    float f = 0;
    EXPECT_EQ(takeFloat("1.23457e+06", f), Taken::Whole);
    EXPECT_EQ(f, 1234570.0f);
}

TEST(FieldCodec, NameReadersKeepTheFullWidth) {
    // The 15-byte name afterwards, when it held all 'z' first.
    const std::vector<std::tuple<std::string, bool, std::string>> cases = {
        {"wrist_R", false, "wrist_R" + std::string(1, '\0') + std::string(7, 'z')},
        {"abcdefghijklmnopqrst", false, "abcdefghijklmno"},
        {"abcdefghijklmn", false, "abcdefghijklmn" + std::string(1, '\0')},
        {"a b ", false, "a b " + std::string(1, '\0') + std::string(10, 'z')},
        {"", false, std::string(1, '\0') + std::string(14, 'z')},
        {" eye close \t", true, "eye close" + std::string(1, '\0') + std::string(5, 'z')},
        {"\r\v\f", true, std::string(1, '\0') + std::string(14, 'z')},
        {" abcdefghijklmnopq ", true, "abcdefghijklmno"},
        // Shift-JIS: a cut falls after a whole character, a half-width kana being one byte.
        {"\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0"
         "\x82\xA0\x82\xA0",
         false, "\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0" + std::string(1, '\0')},
        {"a\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0", false,
         "a\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0"},
        {"ab\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0", false,
         "ab\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0" + std::string(1, '\0')},
        {std::string(16, '\xB1'), false, std::string(15, '\xB1')},
        {std::string(14, 'a') + "\x82", false, std::string(14, 'a') + "\x82"}};
    for (const auto& [field, trimmed, bytes] : cases) {
        std::array<char, 15> name;
        name.fill('z');
        trimmed ? takeTrimmedName(field, name) : takeName(field, name);
        EXPECT_EQ(std::string(name.data(), name.size()), bytes) << field;
    }
}

TEST(FieldCodec, HexReaderTakesPairsAfterTheFirstX) {
    // The block afterwards, when it held all 0xEE first.
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> cases = {
        {"0x0102", {0x01, 0x02, 0x00, 0xEE}}, {"0x01020304FF", {0x01, 0x02, 0x03, 0x04}},
        {"0x--05", {0x00, 0x05, 0x00, 0xEE}}, {"0X01", {0xEE, 0xEE, 0xEE, 0xEE}},
        {"x0a0B", {0x0A, 0x0B, 0x00, 0xEE}},  {"junkx01", {0x01, 0x00, 0xEE, 0xEE}},
        {"0x1", {0x10, 0xEE, 0xEE, 0xEE}},    {"0x1G2", {0x10, 0x20, 0xEE, 0xEE}},
        {"0x", {0x00, 0xEE, 0xEE, 0xEE}},     {"0xfA9f", {0xFA, 0x9F, 0x00, 0xEE}}};
    for (const auto& [field, bytes] : cases) {
        std::vector<std::uint8_t> block(4, 0xEE);
        takeHex(field, block);
        EXPECT_EQ(block, bytes) << field;
    }
}

// A name that a plain field cannot carry back is quoted; every name reads back whole.
TEST(FieldCodec, NamesAreQuotedWhereTheyMustBe) {
    const std::vector<std::pair<std::string, std::string>> names = {{"arm,L", "\"arm,L\""},
                                                                    {"a\nb", "\"a\nb\""},
                                                                    {"a;b", "\"a;b\""},
                                                                    {"a\tb", "\"a\tb\""},
                                                                    {"a\rb", "\"a\rb\""},
                                                                    {"\"x", "\"\"\"x\""},
                                                                    {"\"x\"", "\"\"\"x\"\"\""},
                                                                    {"a\"b", "a\"b"},
                                                                    {" a ", " a "},
                                                                    {"\"", "\"\"\"\""},
                                                                    {"", ""},
                                                                    {",\"\r\n", "\",\"\"\r\n\""},
                                                                    {"\x83\x5C,", "\"\x83\x5C,\""}};
    for (const auto& [text, field] : names) {
        std::array<char, 15> name{};
        text.copy(name.data(), name.size());
        CsvRow row;
        appendName(row, name);
        appendInt(row, 7);
        EXPECT_EQ(row.text(), field + ",7") << text;
        CsvRowView view = test::fieldsOf(row.text());
        std::array<char, 15> back{};
        takeName(view.front(), back);
        EXPECT_EQ(back, name) << text;
        view.popFront();
        EXPECT_EQ(view.front(), "7") << text;
    }
}

// What Calc and Gnumeric were seen to turn into a formula, a number, a date or a truth value (see
// the spreadsheet leg of the test command) is written after an apostrophe, and read back whole;
// the names they keep as text are written as they stand.
TEST(FieldCodec, NamesASpreadsheetWouldReadOtherwiseStayText) {
    const std::vector<std::pair<std::string, bool>> names = {
        {"=1+2", true},
        {"=A1&A1", true},
        {"+x", true},
        {"-x", true},
        {"@x", true},
        {"001", true},
        {"1e5", true},
        {"1/2", true},
        {"12:30", true},
        {"(1)", true},
        {"$5", true},
        {".5", true},
        {" 1", true},
        {"TRUE", true},
        {"false", true},
        {"Jan 2", true},
        {"january-5", true},
        {"#N/A", true},
        {"'x", true},
        {"''", true},
        {"\x82\x50\x82\x51", true},
        {"\x81\x7C\x82\x50", true}, // full-width 12, -1
        {"x1", false},
        {"key_1", false},
        {"a1", false},
        {"yes", false},
        {"true2", false},
        {"Janet", false},
        {"e5", false},
        {"inf", false},
        {"x=1", false},
        {"", false},
        {"\x83\x5A\x83\x93", false},
        {"\x8D\xB6\x98\x72", false},
        {"a'b", false}};
    for (const auto& [text, readsOtherwise] : names) {
        EXPECT_EQ(spreadsheetReadsOtherwise(text), readsOtherwise) << text;
        std::array<char, 15> name{};
        text.copy(name.data(), name.size());
        CsvRow row;
        appendName(row, name);
        EXPECT_EQ(row.text(), readsOtherwise ? "'" + text : text) << text;
        std::array<char, 15> back{};
        takeName(test::fieldsOf(row.text()).front(), back);
        EXPECT_EQ(back, name) << text;
        std::array<char, 15> trimmed{}; // a morph name, blanks before the apostrophe dropped
        takeTrimmedName(" " + std::string(row.text()), trimmed);
        EXPECT_EQ(trimmed, name) << text;
    }
    // A morph name keeps white space at its ends only after an apostrophe, which the export
    // writes for it; typed in a spreadsheet without one, it is trimmed.
    const std::vector<std::pair<std::string, std::string>> morphs = {
        {"1 ", "'1 "}, {" 1 ", "' 1 "}, {" x", "' x"}, {"x\t", "\"'x\t\""}, {"x", "x"}};
    for (const auto& [text, written] : morphs) {
        std::array<char, 15> name{};
        text.copy(name.data(), name.size());
        CsvRow row;
        appendName(row, name, TextKind::TrimmedName);
        EXPECT_EQ(row.text(), written) << text;
        std::array<char, 15> back{};
        takeTrimmedName(test::fieldsOf(row.text()).front(), back);
        EXPECT_EQ(back, name) << text;
        takeTrimmedName(" " + text + " ", back);
        EXPECT_EQ(text::fieldText(back), "x1"[text.find('x') == text.npos ? 1 : 0] + std::string())
            << text;
    }
    // A signature is written as it stands, and a field that an older export wrote with an
    // apostrophe before a plain name keeps it.
    CsvRow row;
    appendName(row, std::array<char, 4>{'=', '1', '\0', '\0'}, TextKind::Text);
    EXPECT_EQ(row.text(), "=1");
    std::array<char, 15> name{};
    takeName("'x", name);
    EXPECT_EQ(text::fieldText(name), "'x");
}

// With a comma that cannot separate fields, a number that has one in place of its point reads
// so; any other text reads as it does without.
TEST(FieldCodec, ADecimalCommaReadsWhereItMay) {
    const struct {
        std::string field;
        bool commaIsPoint;
        Taken how;
        float value;
    } cases[] = {
        {"0,5", true, Taken::DecimalComma, 0.5f},
        {"-1,25e-05", true, Taken::DecimalComma, -1.25e-05f},
        {" 2,5 ", true, Taken::DecimalComma, 2.5f},
        {"0,5", false, Taken::Partly, 0.0f},
        {"1,5x", true, Taken::Partly, 1.0f},
        {"1,2,3", true, Taken::Partly, 1.0f},
        {"1.5,2", true, Taken::Partly, 1.5f},
        {"1,000.5", true, Taken::Partly, 1.0f},
        {",5", true, Taken::DecimalComma, 0.5f},
        {"x,5", true, Taken::NotRead, 7.0f},
    };
    for (const auto& c : cases) {
        float value = 7.0f;
        EXPECT_EQ(takeFloat(c.field, value, c.commaIsPoint), c.how) << c.field;
        EXPECT_EQ(value, c.value) << c.field;
    }
}

// A block read in pieces of any size decodes as the whole field does, and is a block only when
// it is "0x" and whole pairs of hex digits.
TEST(FieldCodec, ABlockInPiecesDecodesAsTheWholeField) {
    const std::vector<std::pair<std::string, bool>> fields = {
        {"0x", true},   {"0x0aFf", true}, {"0x" + std::string(9001, 'e') + "e", true},
        {"0x0", false}, {"0x0g", false},  {"0X00", false},
        {"x00", false}, {"00", false},    {"0x00 ", false},
        {"", false},    {"0", false},     {"0x" + std::string(8193, '1'), false}};
    for (const auto& [field, whole] : fields) {
        std::vector<std::uint8_t> expected(whole ? (field.size() - 2) / 2 : 0);
        if (whole) {
            ASSERT_EQ(takeHex(field, expected), Taken::Whole) << field.substr(0, 10);
        }
        for (const std::size_t piece : {std::size_t{1}, std::size_t{3}, field.size() + 1}) {
            std::string bytes;
            test::StringSink sink(bytes);
            HexBlock block;
            for (std::size_t at = 0; at < field.size(); at += piece) {
                block.add(std::string_view(field).substr(at, piece), sink);
            }
            sink.finish();
            EXPECT_EQ(block.whole(), whole) << field.substr(0, 10) << " in pieces of " << piece;
            if (whole) {
                EXPECT_TRUE(bytes == std::string(expected.begin(), expected.end()))
                    << field.substr(0, 10);
            }
        }
    }
}

} // namespace
} // namespace qlx::csv
