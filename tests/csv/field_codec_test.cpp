// The field codec: what each writer appends, and what each reader takes, leaves and consumes.
#include "csv/field_codec.h"

#include "tests/support/support.h"

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
    std::uint32_t u = 0;
    takeUnsigned("-1", u);
    EXPECT_EQ(u, 4294967295u);
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
        CsvRowView view(row.text());
        std::array<char, 15> back{};
        takeName(view.front(), back);
        EXPECT_EQ(back, name) << text;
        view.popFront();
        EXPECT_EQ(view.front(), "7") << text;
    }
}

} // namespace
} // namespace qlx::csv
