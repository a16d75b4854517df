// Number text against the C library as oracle: %g for every class of float, and parsing
// against strtof and strtol in the "C" locale.
#include "csv/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace qlx::csv {
namespace {

// printf's %g; a NaN's sign is written as glibc writes it ("-nan"), on every system.
std::string printfG(float value) {
    if (std::isnan(value)) {
        return std::signbit(value) ? "-nan" : "nan";
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%g", static_cast<double>(value));
    return buffer;
}

std::string format(float value) {
    char buffer[kMaxNumberText];
    return {buffer, formatFloat(buffer, value)};
}

std::uint32_t bitsOf(float value) {
    return std::bit_cast<std::uint32_t>(value);
}

void expectLikePrintf(float value) {
    ASSERT_EQ(format(value), printfG(value)) << "bits 0x" << std::hex << bitsOf(value);
}

TEST(NumberText, FormatsSpecialClassesLikePrintf) {
    std::vector<float> values = {0.0f,
                                 -0.0f,
                                 std::numeric_limits<float>::infinity(),
                                 -std::numeric_limits<float>::infinity(),
                                 std::numeric_limits<float>::quiet_NaN(),
                                 -std::numeric_limits<float>::quiet_NaN(),
                                 std::numeric_limits<float>::max(),
                                 std::numeric_limits<float>::min(),
                                 std::numeric_limits<float>::denorm_min(),
                                 std::bit_cast<float>(0x007FFFFFu), // largest subnormal
                                 0.5f,
                                 -45.0f,
                                 0.1f,
                                 3.14159265f,
                                 123456.0f,
                                 1234567.0f,
                                 0.00001f,
                                 1e6f,
                                 999999.0f,
                                 0.0001f,
                                 1234.5f,
                                 1234565.0f,
                                 1234575.0f,
                                 0.000123456f,
                                 999999.5f,
                                 9999995.0f};
    // Powers of ten and their neighbours, over the whole float range.
    for (int exponent = -45; exponent <= 38; ++exponent) {
        const auto power = static_cast<float>(std::pow(10.0, exponent));
        values.insert(values.end(),
                      {power, std::nextafter(power, 0.0f), std::nextafter(power, INFINITY)});
    }
    // Values at each rounding boundary of six digits: d.ddddd5 x 10^e and its neighbours.
    std::mt19937 random(1);
    std::uniform_int_distribution<int> digits(100000, 999999);
    for (int exponent = -45; exponent <= 38; ++exponent) {
        for (int i = 0; i < 50; ++i) {
            const double tie = (digits(random) + 0.5) * std::pow(10.0, exponent - 5);
            const auto nearest = static_cast<float>(tie);
            values.insert(values.end(), {nearest, std::nextafter(nearest, 0.0f),
                                         std::nextafter(nearest, INFINITY)});
        }
    }
    // Small integers, where exact ties between two six-digit values happen.
    for (int i = 999990; i < 1000010; ++i) {
        values.push_back(static_cast<float>(i));
    }
    for (int i = 1234560; i < 1234580; ++i) {
        values.push_back(static_cast<float>(i));
    }
    for (const float value : values) {
        expectLikePrintf(value);
        expectLikePrintf(-value);
    }
}

TEST(NumberText, FormatsRandomBitPatternsLikePrintf) {
    std::mt19937 random(20261206);
    for (int i = 0; i < 1'000'000; ++i) {
        expectLikePrintf(std::bit_cast<float>(static_cast<std::uint32_t>(random())));
    }
}

float strtofC(const std::string& text) {
    return std::strtof(text.c_str(), nullptr);
}

TEST(NumberText, ParsesWhatItWritesLikeStrtof) {
    std::mt19937 random(7);
    for (int i = 0; i < 300'000; ++i) {
        const float value = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
        if (!std::isfinite(value)) {
            continue;
        }
        for (const char* pattern : {"%g", "%.9g", "%.3e", "%.12f"}) {
            char text[512];
            std::snprintf(text, sizeof text, pattern, static_cast<double>(value));
            const auto parsed = parseFloat(text);
            const float expected = strtofC(text);
            if (std::isinf(expected)) { // rounded up past the largest float: out of range
                ASSERT_FALSE(parsed) << text;
                continue;
            }
            ASSERT_TRUE(parsed) << text;
            ASSERT_EQ(bitsOf(*parsed), bitsOf(expected)) << text;
        }
    }
}

TEST(NumberText, ParsesRandomDecimalTextLikeStrtof) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> length(1, 24);
    std::uniform_int_distribution<int> digit(0, 9);
    std::uniform_int_distribution<int> exponent(-60, 45);
    for (int i = 0; i < 300'000; ++i) {
        std::string text;
        const int n = length(random);
        const int point = std::uniform_int_distribution<int>(0, n)(random);
        for (int k = 0; k < n; ++k) {
            if (k == point) {
                text += '.';
            }
            text += static_cast<char>('0' + digit(random));
        }
        if (random() % 2 == 0) {
            text += 'e';
            text += std::to_string(exponent(random));
        }
        errno = 0;
        const float expected = strtofC(text);
        const bool overflow = errno == ERANGE && std::isinf(expected);
        const auto parsed = parseFloat(text);
        if (overflow) {
            ASSERT_FALSE(parsed) << text;
        } else {
            ASSERT_TRUE(parsed) << text;
            ASSERT_EQ(bitsOf(*parsed), bitsOf(expected)) << text;
        }
    }
}

TEST(NumberText, ParsesLikeStreamExtraction) {
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        std::string text;
        std::optional<float> value;
    } cases[] = {
        {"1.5", 1.5f},
        {" \t\r\n\v\f42", 42.0f},
        {"+2.5", 2.5f},
        {"-0", -0.0f},
        {"12abc", 12.0f},
        {"1.5;x", 1.5f},
        {".5", 0.5f},
        {"5.", 5.0f},
        {"1e", 1.0f},
        {"1e+", 1.0f},
        {"1.5e+006", 1.5e6f},
        {"1.23457e+06", 1234570.0f},
        {"2E3", 2000.0f},
        {"0x1F", 0.0f},
        {"1e-50", 0.0f},
        {"-1e-50", -0.0f},
        {"1e39", std::nullopt},
        {"-3.5e38", std::nullopt},
        {"inf", inf},
        {"-inf", -inf},
        {"INFINITY", inf},
        {"", std::nullopt},
        {"x", std::nullopt},
        {"-", std::nullopt},
        {".", std::nullopt},
        {"+-1", std::nullopt},
        {"+-inf", std::nullopt},
        {"e5", std::nullopt},
        {"1 2", 1.0f},
        {"00012.5000", 12.5f},
        {"0.000000000000000000000000000000000000000000001", 1e-45f},
        {"123456789012345678901234567890", 1.2345679e29f},
    };
    for (const auto& c : cases) {
        const auto parsed = parseFloat(c.text);
        ASSERT_EQ(parsed.has_value(), c.value.has_value()) << c.text;
        if (parsed) {
            EXPECT_EQ(bitsOf(*parsed), bitsOf(*c.value)) << c.text;
        }
    }
    for (const char* text : {"nan", "-nan", "NaN", "nan(123)"}) {
        const auto parsed = parseFloat(text);
        ASSERT_TRUE(parsed && std::isnan(*parsed)) << text;
        EXPECT_EQ(std::signbit(*parsed), text[0] == '-') << text;
    }
}

TEST(NumberText, ParsesIntegersLikeStreamExtraction) {
    const struct {
        std::string text;
        std::optional<std::int32_t> signedValue;
        std::optional<std::uint32_t> unsignedValue;
    } cases[] = {
        {"0", 0, 0u},
        {" 42", 42, 42u},
        {"42.9", 42, 42u},
        {"+7x", 7, 7u},
        {"-1", -1, 4294967295u},
        {"2147483647", 2147483647, 2147483647u},
        {"2147483648", std::nullopt, 2147483648u},
        {"-2147483648", -2147483647 - 1, 2147483648u},
        {"-2147483649", std::nullopt, 2147483647u},
        {"4294967295", std::nullopt, 4294967295u},
        {"4294967296", std::nullopt, std::nullopt},
        {"-4294967295", std::nullopt, 1u},
        {"99999999999999999999999", std::nullopt, std::nullopt},
        {"0x1F", 0, 0u},
        {"000000000000000000000012", 12, 12u},
        {"", std::nullopt, std::nullopt},
        {"x", std::nullopt, std::nullopt},
        {"-", std::nullopt, std::nullopt},
        {"- 1", std::nullopt, std::nullopt},
        {"--1", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseInt(c.text), c.signedValue) << c.text;
        EXPECT_EQ(parseUnsigned(c.text), c.unsignedValue) << c.text;
    }
}

TEST(NumberText, FormatsIntegers) {
    char buffer[kMaxNumberText];
    EXPECT_EQ(std::string(buffer, formatInt(buffer, -1)), "-1");
    EXPECT_EQ(std::string(buffer, formatInt(buffer, -2147483647 - 1)), "-2147483648");
    EXPECT_EQ(std::string(buffer, formatUnsigned(buffer, 4294967295u)), "4294967295");
    EXPECT_EQ(std::string(buffer, formatUnsigned(buffer, 0)), "0");
}

} // namespace
} // namespace qlx::csv
