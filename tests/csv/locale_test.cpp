// Numbers keep the "C" conventions whatever the process locale: a C++ global locale and a C
// locale that write "," as the decimal point and group thousands change nothing.
#include "csv/field_codec.h"
#include "csv/number_text.h"

#include "tests/support.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <locale>
#include <random>
#include <string>

namespace qlx::csv {
namespace {

struct CommaDecimals : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

// A C locale with a decimal comma: one the system has, or one made for the test.
std::string commaLocaleName() {
    for (const char* name :
         {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "German_Germany.1252", "German"}) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            std::setlocale(LC_ALL, "C");
            return name;
        }
    }
    return test::makeCommaDecimalLocale();
}

TEST(Locale, NumbersIgnoreTheProcessLocale) {
    std::mt19937 random(3);
    std::vector<float> values = {1234.5f, 1234567.0f, 0.25f, -98765.4f};
    for (int i = 0; i < 20000; ++i) {
        values.push_back(std::uniform_real_distribution<float>(-1e7f, 1e7f)(random));
    }
    // The oracle runs in the "C" locale, before the switch.
    std::vector<std::string> expected;
    std::vector<float> expectedBack;
    for (const float value : values) {
        char text[64];
        std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
        expected.emplace_back(text);
        expectedBack.push_back(std::strtof(text, nullptr));
    }

    const std::string cName = commaLocaleName();
    const std::locale previous =
        std::locale::global(std::locale(std::locale::classic(), new CommaDecimals));
    const bool cLocaleSet = !cName.empty() && std::setlocale(LC_ALL, cName.c_str()) != nullptr;
    if (cLocaleSet) {
        char probe[32];
        std::snprintf(probe, sizeof probe, "%g", 1.5);
        EXPECT_STREQ(probe, "1,5") << "the C locale in force writes a decimal comma";
    }

    for (std::size_t i = 0; i < values.size(); ++i) {
        CsvRow row;
        appendFloat(row, values[i]);
        ASSERT_EQ(row.text(), expected[i]);
        CsvRowView view = row.view();
        float back = 0;
        takeFloat(view, back);
        ASSERT_EQ(back, expectedBack[i]) << expected[i];
    }
    CsvRow row;
    appendFloat(row, 1234.5f);
    appendInt(row, 1234567);
    EXPECT_EQ(row.text(), "1234.5,1234567");
    CsvRowView view = row.view();
    float value = 0;
    takeFloat(view, value);
    EXPECT_EQ(value, 1234.5f);

    std::setlocale(LC_ALL, "C");
    std::locale::global(previous);
    if (!cLocaleSet) {
        GTEST_SKIP() << "no C locale with a decimal comma could be made; only the C++ locale was "
                        "tested";
    }
}

} // namespace
} // namespace qlx::csv
