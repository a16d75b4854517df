// Number text against the C library as oracle: printf's %g for formatting (with the fewest digits
// from 6 to 9 that strtof reads back, and with six), strtof and strtoll for parsing, on the values
// and texts that break them and thousands of random ones, in a process whose locales write a
// decimal comma. The exhaustive check lives in tools/float_format_check.
#include "csv/number_format.h"
#include "csv/number_parse.h"
#include "tests/support/number_oracle.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <bit>
#include <clocale>
#include <cstdio>
#include <random>

namespace qlx::csv {
namespace {

// printf's %.<digits>g in the "C" locale; a NaN's sign as glibc writes it, on every system.
std::string printfG(float value, int digits = 6) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*g", digits, static_cast<double>(value));
    return std::isnan(value) ? (std::signbit(value) ? "-nan" : "nan") : buffer;
}

// printf's %g with the fewest digits, 6 to 9, that strtof reads back as the value.
std::string printfExactly(float value) {
    for (int digits = 6;; ++digits) {
        const std::string text = printfG(value, digits);
        if (digits == 9 || std::isnan(value) || std::strtof(text.c_str(), nullptr) == value) {
            return text;
        }
    }
}

// The values and texts that break a number codec, and thousands of random ones, with what the C
// library writes and reads for them in the "C" locale.
struct Cases {
    std::vector<float> values;
    std::vector<std::string> texts;
    std::vector<std::string> printed;    // exactly
    std::vector<std::string> printedSix; // with six digits
    std::vector<test::CNumbers> read;
};

Cases makeCases() {
    std::vector<float> values = {0.0f, INFINITY, NAN, 3.4028235e38f, 1e-45f, 999999.5f, 1e-5f};
    for (int e = -45; e <= 38; ++e) { // powers of ten and six-digit ties, with neighbours
        for (const double mantissa : {1.0, 1.000005, 9.999995, 1.234565}) {
            const float v = static_cast<float>(mantissa * std::pow(10.0, e));
            values.insert(values.end(), {v, -std::nextafter(v, 0.0f), std::nextafter(v, INFINITY)});
        }
    }
    // White space, signs, points and exponents that read or do not, and the bounds of each type.
    std::vector<std::string> texts = {" \t\r\n\v\f42",
                                      "+2.5",
                                      "12abc",
                                      ".5",
                                      "5.",
                                      "1e+",
                                      "1.5e+006",
                                      "-1e-50",
                                      "1e39",
                                      "inf",
                                      "-INFINITY",
                                      "--inf",
                                      "",
                                      ".",
                                      "+-1",
                                      "e5",
                                      "+7x",
                                      "-1",
                                      "2147483648",
                                      "-2147483648",
                                      "4294967296",
                                      "-4294967295",
                                      "99999999999999999999999",
                                      "- 1"};
    texts.push_back("0." + std::string(50, '0') + "1e3");
    std::mt19937 random(20261206);
    for (int i = 0; i < 20000; ++i) {
        values.push_back(std::bit_cast<float>(static_cast<std::uint32_t>(random())));
        std::string text = random() % 4 == 0 ? " -" : "";
        for (int k = 0, n = 1 + static_cast<int>(random() % 24); k < n; ++k) {
            text += (random() % 8 == 0 ? "." : "") + std::to_string(random() % 10);
        }
        texts.push_back(text +
                        (random() % 2 ? "E" + std::to_string(int(random() % 106) - 60) : ""));
    }
    Cases cases{values, texts, {}, {}, {}};
    std::ranges::transform(values, std::back_inserter(cases.printed), printfExactly);
    std::ranges::transform(values, std::back_inserter(cases.printedSix),
                           [](float value) { return printfG(value); });
    std::ranges::transform(texts, std::back_inserter(cases.read), test::cNumbers);
    return cases;
}

const Cases& cases() {
    static const Cases made = makeCases();
    return made;
}

void expectLikeTheCLibrary(const Cases& c) {
    for (std::size_t i = 0; i < c.values.size(); ++i) {
        char buffer[kMaxNumberText];
        ASSERT_EQ(std::string(buffer, formatFloat(buffer, c.values[i])), c.printed[i]);
        ASSERT_EQ(std::string(buffer, formatGeneral(buffer, c.values[i], 6)), c.printedSix[i]);
    }
    for (std::size_t i = 0; i < c.texts.size(); ++i) {
        const std::string shown = c.texts[i].substr(0, 60);
        ASSERT_TRUE(test::sameBits(parseFloat(c.texts[i]), c.read[i].real)) << shown;
        ASSERT_EQ(parseInt(c.texts[i]), c.read[i].integer) << shown;
        ASSERT_EQ(parseUnsigned(c.texts[i]), c.read[i].natural) << shown;
    }
}

TEST(NumberText, LikePrintfAndTheCLibrary) {
    expectLikeTheCLibrary(cases());
}

// The process's locale changes no number: the oracle's answers come from the "C" locale.
TEST(NumberText, TheSameWhereTheLocaleWritesADecimalComma) {
    const Cases& c = cases();
    const std::string locale = test::makeCommaDecimalLocale();
    if (locale.empty()) {
        GTEST_SKIP() << "no locale that writes a decimal comma can be made on this system";
    }
    std::setlocale(LC_ALL, locale.c_str());
    expectLikeTheCLibrary(c);
    std::setlocale(LC_ALL, "C");
}

// A number reads the same however many digits spell it: long runs of zeros and a long exponent
// decide nothing that the short spelling does not.
TEST(NumberText, LongSpellingsReadAsShortOnes) {
    const std::string zeros(200000, '0');
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"0." + zeros + "1e200050", "1e49"},
        {"1" + zeros + "e-200050", "1e-50"},
        {"0." + zeros + "1e200030", "1e29"},
        {"-" + zeros + "5e-200001", "-5e-200001"}};
    for (const auto& [spelled, shortly] : cases) {
        EXPECT_TRUE(test::sameBits(parseFloat(spelled), parseFloat(shortly))) << shortly;
    }
    EXPECT_FALSE(parseFloat("1e49"));
}

// Where stream extraction reads less than strtof: no hexadecimal; and a NaN keeps its sign.
TEST(NumberText, ReadsNoHexAndSignedNan) {
    EXPECT_EQ(parseFloat("0x1F"), 0.0f);
    EXPECT_TRUE(std::isnan(*parseFloat("nan(1)")) && std::signbit(*parseFloat("-nan")));
}

} // namespace
} // namespace qlx::csv
