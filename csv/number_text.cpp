// Number text without the C library's locale-dependent printf and strtod: a fast exact path
// for the common cases and <charconv>, which never consults a locale, for the rare rest.
#include "csv/number_text.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

namespace qlx::csv {

namespace {

constexpr std::array<double, 23> kPowersOfTen = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                 1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// value * 10^power in at most three correctly rounded steps: a relative error below 2^-51.
double scaleByPowerOfTen(double value, int power) {
    if (power >= 0) {
        for (; power > 22; power -= 22) {
            value *= 1e22;
        }
        return value * kPowersOfTen[static_cast<std::size_t>(power)];
    }
    for (power = -power; power > 22; power -= 22) {
        value /= 1e22;
    }
    return value / kPowersOfTen[static_cast<std::size_t>(power)];
}

// The six significant digits of a positive finite value rounded as printf rounds it, and the
// decimal exponent of the rounded value. Nothing when the value lies so near a rounding tie
// that the double arithmetic cannot decide it; the caller then asks <charconv>.
struct SixDigits {
    std::uint32_t digits; // 100000 to 999999
    int exponent;
};

std::optional<SixDigits> roundToSixDigits(double value) {
    const int binaryExponent =
        static_cast<int>((std::bit_cast<std::uint64_t>(value) >> 52) & 0x7FF) - 1023;
    // About binaryExponent * log10(2): the decimal exponent give or take one.
    int exponent = (binaryExponent * 78913) >> 18;
    double scaled = scaleByPowerOfTen(value, 5 - exponent);
    if (scaled >= 1e6) {
        ++exponent;
        scaled = scaleByPowerOfTen(value, 5 - exponent);
    } else if (scaled < 1e5) {
        --exponent;
        scaled = scaleByPowerOfTen(value, 5 - exponent);
    }
    if (scaled < 99999.0 || scaled >= 1e6) {
        return std::nullopt;
    }
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;
    // The scaled value is off by less than 1e-9; closer than this to a tie, let <charconv>
    // decide exactly (ties go to even there, as in printf).
    if (std::fabs(fraction - 0.5) < 1e-7) {
        return std::nullopt;
    }
    auto digits = static_cast<std::uint32_t>(whole) + (fraction > 0.5 ? 1u : 0u);
    if (digits < 100000) { // the estimate missed by more than one: let <charconv> answer
        return std::nullopt;
    }
    if (digits == 1000000) {
        digits = 100000;
        ++exponent;
    }
    return SixDigits{digits, exponent};
}

char* writeExponent(char* out, int exponent) {
    *out++ = 'e';
    *out++ = exponent < 0 ? '-' : '+';
    auto magnitude = static_cast<unsigned>(exponent < 0 ? -exponent : exponent);
    if (magnitude >= 100) {
        *out++ = static_cast<char>('0' + magnitude / 100);
        magnitude %= 100;
    }
    *out++ = static_cast<char>('0' + magnitude / 10);
    *out++ = static_cast<char>('0' + magnitude % 10);
    return out;
}

// %g's layout of six rounded digits: fixed notation for exponents -4 to 5, scientific
// otherwise, trailing zeros and a bare point dropped.
char* layOut(char* out, SixDigits rounded) {
    char digits[6];
    for (int i = 5; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + rounded.digits % 10);
        rounded.digits /= 10;
    }
    int significant = 6;
    while (digits[significant - 1] == '0') {
        --significant;
    }
    const int exponent = rounded.exponent;
    if (exponent < -4 || exponent >= 6) {
        *out++ = digits[0];
        if (significant > 1) {
            *out++ = '.';
            std::memcpy(out, digits + 1, static_cast<std::size_t>(significant - 1));
            out += significant - 1;
        }
        return writeExponent(out, exponent);
    }
    if (exponent < 0) {
        *out++ = '0';
        *out++ = '.';
        for (int i = -1; i > exponent; --i) {
            *out++ = '0';
        }
        std::memcpy(out, digits, static_cast<std::size_t>(significant));
        return out + significant;
    }
    const int integerDigits = exponent + 1;
    std::memcpy(out, digits, static_cast<std::size_t>(integerDigits));
    out += integerDigits;
    if (significant > integerDigits) {
        *out++ = '.';
        std::memcpy(out, digits + integerDigits,
                    static_cast<std::size_t>(significant - integerDigits));
        out += significant - integerDigits;
    }
    return out;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view skipSpace(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i])) {
        ++i;
    }
    return text.substr(i);
}

constexpr std::array<float, 11> kFloatPowersOfTen = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                                     1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

} // namespace

char* formatFloat(char* out, float value) {
    if (std::signbit(value)) {
        *out++ = '-';
        value = -value;
    }
    if (std::isnan(value)) {
        std::memcpy(out, "nan", 3);
        return out + 3;
    }
    if (std::isinf(value)) {
        std::memcpy(out, "inf", 3);
        return out + 3;
    }
    if (value == 0.0f) {
        *out = '0';
        return out + 1;
    }
    if (const auto rounded = roundToSixDigits(static_cast<double>(value))) {
        return layOut(out, *rounded);
    }
    return std::to_chars(out, out + kMaxNumberText, static_cast<double>(value),
                         std::chars_format::general, 6)
        .ptr;
}

char* formatInt(char* out, std::int32_t value) {
    return std::to_chars(out, out + kMaxNumberText, value).ptr;
}

char* formatUnsigned(char* out, std::uint32_t value) {
    return std::to_chars(out, out + kMaxNumberText, value).ptr;
}

std::optional<float> parseFloat(std::string_view text) {
    text = skipSpace(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* p = begin;

    // Digits and an optional fraction, collecting up to 19 significant digits exactly.
    std::uint64_t mantissa = 0;
    int significantDigits = 0;
    int droppedDigits = 0;  // integer digits beyond the 19 kept
    int fractionDigits = 0; // fraction digits kept
    bool anyDigit = false;
    auto takeDigit = [&](char c, bool inFraction) {
        anyDigit = true;
        if (mantissa == 0 && c == '0') {
            if (inFraction) {
                ++fractionDigits;
            }
            return;
        }
        if (significantDigits < 19) {
            mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
            ++significantDigits;
            fractionDigits += inFraction ? 1 : 0;
        } else if (!inFraction) {
            ++droppedDigits;
        }
    };
    while (p != end && isDigit(*p)) {
        takeDigit(*p++, false);
    }
    if (p != end && *p == '.') {
        const char* q = p + 1;
        while (q != end && isDigit(*q)) {
            takeDigit(*q++, true);
        }
        if (anyDigit) {
            p = q;
        }
    }
    if (!anyDigit) {
        // No decimal number: perhaps an infinity or a NaN.
        float special = 0;
        if (begin == end || *begin == '-') {
            return std::nullopt;
        }
        const auto [ptr, ec] = std::from_chars(begin, end, special);
        if (ec != std::errc{} || !(std::isinf(special) || std::isnan(special))) {
            return std::nullopt;
        }
        return negative ? -special : special;
    }
    int exponent = 0;
    if (p != end && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        bool negativeExponent = false;
        if (q != end && (*q == '+' || *q == '-')) {
            negativeExponent = *q == '-';
            ++q;
        }
        if (q != end && isDigit(*q)) {
            while (q != end && isDigit(*q)) {
                if (exponent < 100000) {
                    exponent = exponent * 10 + (*q - '0');
                }
                ++q;
            }
            exponent = negativeExponent ? -exponent : exponent;
            p = q;
        }
    }
    const int power = exponent + droppedDigits - fractionDigits;
    float result = 0;
    if (mantissa == 0) {
        result = 0.0f;
    } else if (mantissa <= (1u << 24) && power >= -10 && power <= 10 && significantDigits < 19) {
        // Both operands are exact floats, so one IEEE operation rounds correctly.
        const float m = static_cast<float>(mantissa);
        result = power >= 0 ? m * kFloatPowersOfTen[static_cast<std::size_t>(power)]
                            : m / kFloatPowersOfTen[static_cast<std::size_t>(-power)];
    } else {
        const auto [ptr, ec] = std::from_chars(begin, p, result);
        if (ec == std::errc::result_out_of_range) {
            // Too small for a float reads as zero; too large is out of range.
            const int magnitude = power + significantDigits;
            if (magnitude > 0) {
                return std::nullopt;
            }
            result = 0.0f;
        } else if (ec != std::errc{}) {
            return std::nullopt;
        }
    }
    return negative ? -result : result;
}

namespace {

// Sign and magnitude of a decimal integer, the magnitude capped just above 2^32.
struct IntegerText {
    bool negative;
    std::uint64_t magnitude;
};

std::optional<IntegerText> parseIntegerText(std::string_view text) {
    text = skipSpace(text);
    IntegerText result{false, 0};
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        result.negative = text[i] == '-';
        ++i;
    }
    if (i == text.size() || !isDigit(text[i])) {
        return std::nullopt;
    }
    for (; i < text.size() && isDigit(text[i]); ++i) {
        result.magnitude = result.magnitude * 10 + static_cast<unsigned>(text[i] - '0');
        if (result.magnitude > (std::uint64_t{1} << 33)) {
            result.magnitude = std::uint64_t{1} << 33;
        }
    }
    return result;
}

} // namespace

std::optional<std::int32_t> parseInt(std::string_view text) {
    const auto parsed = parseIntegerText(text);
    if (!parsed) {
        return std::nullopt;
    }
    const std::uint64_t limit =
        parsed->negative ? std::uint64_t{1} << 31 : (std::uint64_t{1} << 31) - 1;
    if (parsed->magnitude > limit) {
        return std::nullopt;
    }
    const auto magnitude = static_cast<std::int64_t>(parsed->magnitude);
    return static_cast<std::int32_t>(parsed->negative ? -magnitude : magnitude);
}

std::optional<std::uint32_t> parseUnsigned(std::string_view text) {
    const auto parsed = parseIntegerText(text);
    if (!parsed || parsed->magnitude > UINT32_MAX) {
        return std::nullopt;
    }
    const auto magnitude = static_cast<std::uint32_t>(parsed->magnitude);
    return parsed->negative ? static_cast<std::uint32_t>(0u - magnitude) : magnitude;
}

} // namespace qlx::csv
