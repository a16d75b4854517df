// Number text against the C library as oracle: printf's %g for formatting and strtof for
// parsing, on the values that break formatters and a few thousand random ones, in a process
// whose locales write a decimal comma. The exhaustive check lives in tools/float_format_check.
#include "csv/number_format.h"
#include "csv/number_parse.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <bit>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <random>

namespace qlx::csv {
namespace {

// printf's %g and strtof in the "C" locale; a NaN's sign as glibc writes it, on every system.
std::string printfG(float value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%g", static_cast<double>(value));
    return std::isnan(value) ? (std::signbit(value) ? "-nan" : "nan") : buffer;
}

TEST(NumberText, FloatsLikePrintfAndStrtofWhateverTheLocale) {
    std::vector<float> values = {0.0f, INFINITY, NAN, 3.4028235e38f, 1e-45f, 999999.5f, 1e-5f};
    for (int e = -45; e <= 38; ++e) { // powers of ten and six-digit ties, with neighbours
        for (const double mantissa : {1.0, 1.000005, 9.999995, 1.234565}) {
            const float v = static_cast<float>(mantissa * std::pow(10.0, e));
            values.insert(values.end(), {v, -std::nextafter(v, 0.0f), std::nextafter(v, INFINITY)});
        }
    }
    std::mt19937 random(20261206);
    std::vector<std::string> texts; // random decimal text, for the parser
    for (int i = 0; i < 20000; ++i) {
        values.push_back(std::bit_cast<float>(static_cast<std::uint32_t>(random())));
        std::string text = random() % 4 == 0 ? " -" : "";
        for (int k = 0, n = 1 + static_cast<int>(random() % 24); k < n; ++k) {
            text += (random() % 8 == 0 ? "." : "") + std::to_string(random() % 10);
        }
        texts.push_back(text +
                        (random() % 2 ? "E" + std::to_string(int(random() % 106) - 60) : ""));
    }
    std::vector<std::string> printed;
    for (const float value : values) {
        printed.push_back(printfG(value));
    }
    std::vector<std::optional<float>> parsed;
    for (const auto& text : texts) {
        errno = 0;
        const float value = std::strtof(text.c_str(), nullptr);
        parsed.push_back(errno == ERANGE && std::isinf(value) ? std::nullopt
                                                              : std::optional(value));
    }
    std::setlocale(LC_ALL, test::makeCommaDecimalLocale().c_str());
    for (std::size_t i = 0; i < values.size(); ++i) {
        char buffer[kMaxNumberText];
        ASSERT_EQ(std::string(buffer, formatFloat(buffer, values[i])), printed[i]);
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const auto value = parseFloat(texts[i]);
        ASSERT_EQ(value.has_value(), parsed[i].has_value()) << texts[i];
        ASSERT_TRUE(!value || std::bit_cast<std::uint32_t>(*value) ==
                                  std::bit_cast<std::uint32_t>(*parsed[i]));
    }
    std::setlocale(LC_ALL, "C");
}

TEST(NumberText, ParsesAsStreamExtractionDoes) {
    const struct {
        std::string text;
        std::optional<float> value;
    } floats[] = {{" \t\r\n\v\f42", 42.0f},
                  {"+2.5", 2.5f},
                  {"12abc", 12.0f},
                  {".5", 0.5f},
                  {"5.", 5.0f},
                  {"1e+", 1.0f},
                  {"1.5e+006", 1.5e6f},
                  {"0x1F", 0.0f},
                  {"-1e-50", -0.0f},
                  {"0.00000000000000000000000000000000000000000000000001e3", 0.0f},
                  {"1e39", std::nullopt},
                  {"inf", INFINITY},
                  {"-INFINITY", -INFINITY},
                  {"", std::nullopt},
                  {".", std::nullopt},
                  {"+-1", std::nullopt},
                  {"--inf", std::nullopt},
                  {"e5", std::nullopt}};
    for (const auto& c : floats) {
        const auto parsed = parseFloat(c.text);
        ASSERT_EQ(parsed.has_value(), c.value.has_value()) << c.text;
        EXPECT_TRUE(!parsed ||
                    std::bit_cast<std::uint32_t>(*parsed) == std::bit_cast<std::uint32_t>(*c.value))
            << c.text;
    }
    EXPECT_TRUE(std::isnan(*parseFloat("nan(1)")) && std::signbit(*parseFloat("-nan")));
    const struct {
        std::string text;
        std::optional<std::int32_t> signedValue;
        std::optional<std::uint32_t> unsignedValue;
    } integers[] = {{" 42.9", 42, 42u},
                    {"+7x", 7, 7u},
                    {"-1", -1, 4294967295u},
                    {"2147483648", std::nullopt, 2147483648u},
                    {"-2147483648", INT32_MIN, 2147483648u},
                    {"4294967296", std::nullopt, std::nullopt},
                    {"-4294967295", std::nullopt, 1u},
                    {"99999999999999999999999", std::nullopt, std::nullopt},
                    {"", std::nullopt, std::nullopt},
                    {"- 1", std::nullopt, std::nullopt}};
    for (const auto& c : integers) {
        EXPECT_EQ(parseInt(c.text), c.signedValue) << c.text;
        EXPECT_EQ(parseUnsigned(c.text), c.unsignedValue) << c.text;
    }
}

} // namespace
} // namespace qlx::csv
