// Numbers as text without the C library's locale-dependent printf: a fast exact path for six
// significant digits, and <charconv>, which never consults a locale, for the values near a tie.
#include "csv/number_format.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>

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

} // namespace qlx::csv
