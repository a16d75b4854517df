// Numbers as text without the C library's locale-dependent printf: significant digits rounded in
// double arithmetic where it decides them, and <charconv>, which never consults a locale, for the
// values it cannot decide (near a rounding tie, or near the edge of a float's reading).
#include "csv/number_format.h"

#include "csv/number_parse.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

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

// A positive value rounded to `precision` significant digits: the digits as a whole number
// of that many digits, and the decimal exponent of the first.
struct Rounded {
    std::uint32_t digits;
    int exponent;
    int precision;
};

// The digits printf rounds a positive finite value to. Nothing when the value lies so near a
// rounding tie that the double arithmetic cannot decide it; the caller then asks <charconv>.
std::optional<Rounded> roundToDigits(double value, int precision) {
    const double low = kPowersOfTen[static_cast<std::size_t>(precision - 1)];
    const double high = kPowersOfTen[static_cast<std::size_t>(precision)];
    const int binaryExponent =
        static_cast<int>((std::bit_cast<std::uint64_t>(value) >> 52) & 0x7FF) - 1023;
    // About binaryExponent * log10(2): the decimal exponent give or take one.
    int exponent = (binaryExponent * 78913) >> 18;
    double scaled = scaleByPowerOfTen(value, precision - 1 - exponent);
    if (scaled >= high) {
        ++exponent;
        scaled = scaleByPowerOfTen(value, precision - 1 - exponent);
    } else if (scaled < low) {
        --exponent;
        scaled = scaleByPowerOfTen(value, precision - 1 - exponent);
    }
    if (scaled < low - 1 || scaled >= high) {
        return std::nullopt;
    }
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;
    // The scaled value is off by less than 2^-51 of itself; closer than this to a tie, let
    // <charconv> decide exactly (ties go to even there, as in printf).
    if (std::fabs(fraction - 0.5) < high * 0x1p-48) {
        return std::nullopt;
    }
    auto digits = static_cast<std::uint32_t>(whole) + (fraction > 0.5 ? 1u : 0u);
    if (digits < low) { // the estimate missed by more than one: let <charconv> answer
        return std::nullopt;
    }
    if (digits == high) {
        digits = static_cast<std::uint32_t>(low);
        ++exponent;
    }
    return Rounded{digits, exponent, precision};
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

// %g's layout of rounded significant digits at a precision: fixed notation for exponents from -4
// to below the precision, scientific otherwise, trailing zeros and a bare point dropped.
char* layOut(char* out, std::string_view digits, int exponent, int precision) {
    while (digits.size() > 1 && digits.back() == '0') {
        digits.remove_suffix(1);
    }
    const auto significant = static_cast<int>(digits.size());
    if (exponent < -4 || exponent >= precision) {
        *out++ = digits[0];
        if (significant > 1) {
            *out++ = '.';
            out = std::copy(digits.begin() + 1, digits.end(), out);
        }
        return writeExponent(out, exponent);
    }
    if (exponent < 0) {
        *out++ = '0';
        *out++ = '.';
        out = std::fill_n(out, -exponent - 1, '0');
        return std::copy(digits.begin(), digits.end(), out);
    }
    const int integerDigits = exponent + 1;
    if (significant <= integerDigits) {
        out = std::copy(digits.begin(), digits.end(), out);
        return std::fill_n(out, integerDigits - significant, '0');
    }
    out = std::copy_n(digits.begin(), integerDigits, out);
    *out++ = '.';
    return std::copy(digits.begin() + integerDigits, digits.end(), out);
}

char* layOut(char* out, Rounded rounded) {
    std::array<char, 10> digits;
    for (int i = rounded.precision - 1; i >= 0; --i) {
        digits[static_cast<std::size_t>(i)] = static_cast<char>('0' + rounded.digits % 10);
        rounded.digits /= 10;
    }
    return layOut(out, std::string_view(digits.data(), static_cast<std::size_t>(rounded.precision)),
                  rounded.exponent, rounded.precision);
}

// The sign, and the forms of NaN, infinity and zero: where they end, or nothing for a finite
// value that is not zero, which is then made positive.
template <typename T> std::optional<char*> writeSpecial(char*& out, T& value) {
    if (std::signbit(value)) {
        *out++ = '-';
        value = -value;
    }
    if (std::isnan(value)) {
        return std::copy_n("nan", 3, out);
    }
    if (std::isinf(value)) {
        return std::copy_n("inf", 3, out);
    }
    if (value == 0) {
        *out = '0';
        return out + 1;
    }
    return std::nullopt;
}

// %.<digits>g of a positive finite value.
char* writeGeneral(char* out, double value, int digits) {
    if (const auto rounded = roundToDigits(value, digits)) {
        return layOut(out, *rounded);
    }
    return std::to_chars(out, out + kMaxNumberText, value, std::chars_format::general, digits).ptr;
}

} // namespace

char* formatGeneral(char* out, double value, int digits) {
    if (const auto end = writeSpecial(out, value)) {
        return *end;
    }
    return writeGeneral(out, value, digits);
}

// The shortest digits that read back as the value (from <charconv>) bound the digits %g needs
// from below. Where the float's neighbours lie at the same distance on both sides (a normal value
// that is no power of two), the nearest decimal of that many digits is those digits, so %g writes
// them; and six digits always suffice for a normal value whose shortest form has fewer.
// Elsewhere each precision is tried and read back.
char* formatFloat(char* out, float value) {
    if (const auto end = writeSpecial(out, value)) {
        return *end;
    }
    std::array<char, 32> shortest;
    const char* const begin = shortest.data();
    const char* const end = std::to_chars(shortest.data(), shortest.data() + shortest.size(), value,
                                          std::chars_format::scientific)
                                .ptr;
    const char* const e = std::find(begin, end, 'e');
    std::array<char, 12> digits;
    const auto count =
        static_cast<int>(std::remove_copy(begin, e, digits.data(), '.') - digits.data());
    int exponent = 0;
    std::from_chars(e + (e[1] == '+' ? 2 : 1), end, exponent);
    const bool evenlySpaced = (std::bit_cast<std::uint32_t>(value) & 0x7FFFFF) != 0;
    if (std::isnormal(value) && (count <= 6 || evenlySpaced)) {
        return layOut(out, std::string_view(digits.data(), static_cast<std::size_t>(count)),
                      exponent, std::max(6, count));
    }
    for (int precision = std::max(6, count);; ++precision) {
        char* const written = writeGeneral(out, value, precision);
        const auto read =
            parseFloat(std::string_view(out, static_cast<std::size_t>(written - out)));
        if (precision == 9 || (read && *read == value)) {
            return written;
        }
    }
}

char* formatInt(char* out, std::int32_t value) {
    return std::to_chars(out, out + kMaxNumberText, value).ptr;
}

char* formatUnsigned(char* out, std::uint32_t value) {
    return std::to_chars(out, out + kMaxNumberText, value).ptr;
}

} // namespace qlx::csv
