// The field codec: what each writer appends and what each reader takes, leaves and consumes.
#include "csv/field_codec.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace qlx::csv {
namespace {

CsvRow rowOf(std::initializer_list<std::string_view> fields) {
    CsvRow row;
    for (const auto field : fields) {
        row.append(field);
    }
    return row;
}

template <std::size_t N> std::string bytesOf(const std::array<char, N>& name) {
    return {name.begin(), name.end()};
}

TEST(FieldCodec, WritersAppendOneFieldEach) {
    CsvRow row;
    appendInt(row, -1);
    appendUnsigned(row, 4294967295u);
    appendFloat(row, 1e6f);
    appendFloat(row, -0.0f);
    const std::array<char, 15> full = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h',
                                       'i', 'j', 'k', 'l', 'm', 'n', 'o'};
    appendName(row, full);
    appendName(row, std::array<char, 4>{'x', '\0', 'y', 'z'});
    const std::array<std::uint8_t, 3> block = {0x00, 0x0A, 0xFF};
    appendHex(row, block);
    appendHex(row, std::span<const std::uint8_t>());
    EXPECT_EQ(row.text(), "-1,4294967295,1e+06,-0,abcdefghijklmno,x,0x000AFF,0x");
    EXPECT_EQ(row.fieldCount(), 8u);
}

TEST(FieldCodec, NumberReadersLeaveTargetsOnFailure) {
    CsvRow row = rowOf({" 42", "42.9", "", "x", "-1", "1.23457e+06"});
    CsvRowView view = row.view();
    std::int32_t a = 5, b = 5, c = 5, d = 5;
    takeInt(view, a);
    takeInt(view, b);
    takeInt(view, c);
    takeInt(view, d);
    EXPECT_EQ(std::vector<int>({a, b, c, d}), std::vector<int>({42, 42, 5, 5}));
    std::uint32_t u = 0;
    takeUnsigned(view, u);
    EXPECT_EQ(u, 4294967295u);
    float f = 0;
    takeFloat(view, f);
    EXPECT_EQ(f, 1234570.0f);
    // An empty row changes nothing.
    EXPECT_TRUE(view.empty());
    takeInt(view, a);
    takeFloat(view, f);
    EXPECT_EQ(a, 42);
    EXPECT_EQ(f, 1234570.0f);
}

TEST(FieldCodec, NameReadersKeepFullWidth) {
    const struct {
        std::string field;
        bool trimmed;
        std::string bytes; // the 15-byte name afterwards, starting from all 'z'
    } cases[] = {
        {"wrist_R", false, "wrist_R" + std::string(1, '\0') + std::string(7, 'z')},
        {"abcdefghijklmnopqrst", false, "abcdefghijklmno"},
        {"abcdefghijklmno", false, "abcdefghijklmno"},
        {"a b ", false, "a b " + std::string(1, '\0') + std::string(10, 'z')},
        {"", false, std::string(1, '\0') + std::string(14, 'z')},
        {std::string("ab\0cd", 5), false, "ab" + std::string(1, '\0') + std::string(12, 'z')},
        {" eye close \t", true, "eye close" + std::string(1, '\0') + std::string(5, 'z')},
        {" blink ", true, "blink" + std::string(1, '\0') + std::string(9, 'z')},
        {"   ", true, std::string(1, '\0') + std::string(14, 'z')},
        {" abcdefghijklmnopq ", true, "abcdefghijklmno"},
    };
    for (const auto& c : cases) {
        std::array<char, 15> name;
        name.fill('z');
        CsvRow row;
        row.append(c.field);
        row.append("next");
        CsvRowView view = row.view();
        if (c.trimmed) {
            takeTrimmedName(view, name);
        } else {
            takeName(view, name);
        }
        EXPECT_EQ(bytesOf(name), c.bytes) << c.field;
        EXPECT_EQ(view.front(), "next") << c.field;
    }
}

TEST(FieldCodec, HexReaderTakesPairsAfterTheFirstX) {
    const struct {
        std::string field;
        std::vector<std::uint8_t> bytes; // the block afterwards, starting from all 0xEE
    } cases[] = {
        {"0x0102", {0x01, 0x02, 0x00, 0xEE}}, {"0x01020304FF", {0x01, 0x02, 0x03, 0x04}},
        {"0x--05", {0x00, 0x05, 0x00, 0xEE}}, {"0X01", {0xEE, 0xEE, 0xEE, 0xEE}},
        {"x0a0B", {0x0A, 0x0B, 0x00, 0xEE}},  {"junkx01", {0x01, 0x00, 0xEE, 0xEE}},
        {"0x1", {0x10, 0xEE, 0xEE, 0xEE}},    {"0x1G2", {0x10, 0x20, 0xEE, 0xEE}},
        {"0xG7", {0x00, 0x00, 0xEE, 0xEE}},   {"0x", {0x00, 0xEE, 0xEE, 0xEE}},
        {"", {0xEE, 0xEE, 0xEE, 0xEE}},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> block(4, 0xEE);
        CsvRow row = rowOf({c.field});
        CsvRowView view = row.view();
        takeHex(view, block);
        EXPECT_EQ(block, c.bytes) << c.field;
        EXPECT_TRUE(view.empty());
    }
}

TEST(FieldCodec, HexRoundTripsEveryByte) {
    std::vector<std::uint8_t> block(256);
    for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<std::uint8_t>(i);
    }
    CsvRow row;
    appendHex(row, block);
    std::vector<std::uint8_t> back(256, 0x55);
    CsvRowView view = row.view();
    takeHex(view, back);
    EXPECT_EQ(back, block);
}

} // namespace
} // namespace qlx::csv
