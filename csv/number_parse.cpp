// Number parsing in two steps: a scan that finds how far the number reaches, then <charconv>,
// which is exact and never consults a locale, for its value.
#include "csv/number_parse.h"

#include "text/fixed_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>
#include <utility>

namespace qlx::csv {

namespace {

// The written exponent is held at this at most. The digit counts are exact and below 2^32 (a
// line is shorter), so an exponent this large decides overflow or underflow either way: the cap
// never changes the outcome.
constexpr std::int64_t kExponentCap = std::int64_t{1} << 50;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

struct SignedText {
    bool negative;
    std::string_view rest; // what follows the white space and the sign
};

SignedText takeSign(std::string_view text) {
    while (!text.empty() && text::isSpace(text.front())) {
        text.remove_prefix(1);
    }
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (negative || text.front() == '+')) {
        text.remove_prefix(1);
    }
    return {negative, text};
}

// The unsigned decimal number at the front of a text, and the decimal exponent of its leading
// digit plus one (at most 0 for a value below 1), which tells an overflow from an underflow.
struct DecimalText {
    std::string_view text;
    std::int64_t magnitude;
};

// Digits with an optional fraction, and an exponent when a digit follows its "e" and sign.
// Nothing when no digit stands before or after the point.
std::optional<DecimalText> scanDecimal(std::string_view text) {
    std::size_t i = 0;
    std::int64_t integerDigits = 0; // from the first non-zero digit on
    std::int64_t fractionZeros = 0; // zeros after the point ahead of the first non-zero digit
    for (; i < text.size() && isDigit(text[i]); ++i) {
        integerDigits += integerDigits > 0 || text[i] != '0' ? 1 : 0;
    }
    bool anyDigit = i > 0;
    if (i < text.size() && text[i] == '.') {
        std::size_t j = i + 1;
        bool significant = integerDigits > 0;
        for (; j < text.size() && isDigit(text[j]); ++j) {
            significant = significant || text[j] != '0';
            fractionZeros += significant ? 0 : 1;
        }
        anyDigit = anyDigit || j > i + 1;
        i = anyDigit ? j : i;
    }
    if (!anyDigit) {
        return std::nullopt;
    }
    std::int64_t exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        const bool negativeExponent = j < text.size() && text[j] == '-';
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        if (j < text.size() && isDigit(text[j])) {
            for (; j < text.size() && isDigit(text[j]); ++j) {
                exponent = std::min(exponent * 10 + (text[j] - '0'), kExponentCap);
            }
            exponent = negativeExponent ? -exponent : exponent;
            i = j;
        }
    }
    return DecimalText{text.substr(0, i),
                       exponent + (integerDigits > 0 ? integerDigits : -fractionZeros)};
}

template <typename T> std::optional<T> decimalValue(const DecimalText& number) {
    T value = 0;
    const char* begin = number.text.data();
    const auto [end, ec] = std::from_chars(begin, begin + number.text.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Too small for the type reads as zero; too large is out of range.
        if (number.magnitude > 0) {
            return std::nullopt;
        }
        return T{0};
    }
    return ec == std::errc{} ? std::optional<T>(value) : std::nullopt;
}

// "inf", "infinity" and "nan" in any case, as <charconv> reads them, never after a second sign;
// and how many bytes they take.
template <typename T> std::optional<std::pair<T, std::size_t>> specialValue(std::string_view text) {
    if (text.empty() || text.front() == '-') {
        return std::nullopt;
    }
    T value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || !(std::isinf(value) || std::isnan(value))) {
        return std::nullopt;
    }
    return std::pair(value, static_cast<std::size_t>(end - text.data()));
}

struct SignedMagnitude {
    bool negative;
    std::uint64_t magnitude;
    std::size_t used;
};

// A magnitude beyond 64 bits is outside every target's range, as is no digit at all.
std::optional<SignedMagnitude> scanInteger(std::string_view text) {
    const SignedText sign = takeSign(text);
    std::uint64_t magnitude = 0;
    const char* begin = sign.rest.data();
    const auto [end, ec] = std::from_chars(begin, begin + sign.rest.size(), magnitude);
    if (ec != std::errc{}) {
        return std::nullopt;
    }
    return SignedMagnitude{sign.negative, magnitude,
                           text.size() - sign.rest.size() + static_cast<std::size_t>(end - begin)};
}

void tell(std::size_t* used, std::size_t size) {
    if (used != nullptr) {
        *used = size;
    }
}

template <typename T> std::optional<T> parseReal(std::string_view text, std::size_t* used) {
    const SignedText sign = takeSign(text);
    const std::size_t prefix = text.size() - sign.rest.size();
    std::optional<T> value;
    // <charconv> reads the same decimal numbers as the scan, and in one pass; the scan decides
    // only where the value lies out of range, and whether it then reads as zero.
    const char* begin = sign.rest.data();
    T direct = 0;
    const bool decimal = !sign.rest.empty() && (isDigit(*begin) || *begin == '.');
    const auto read = decimal ? std::from_chars(begin, begin + sign.rest.size(), direct)
                              : std::from_chars_result{};
    if (decimal && read.ec == std::errc{}) {
        value = direct;
        tell(used, prefix + static_cast<std::size_t>(read.ptr - begin));
    } else if (const auto number = scanDecimal(sign.rest)) {
        value = decimalValue<T>(*number);
        tell(used, prefix + number->text.size());
    } else if (const auto special = specialValue<T>(sign.rest)) {
        value = special->first;
        tell(used, prefix + special->second);
    }
    if (!value) {
        return std::nullopt;
    }
    return sign.negative ? -*value : *value;
}

} // namespace

std::optional<float> parseFloat(std::string_view text, std::size_t* used) {
    return parseReal<float>(text, used);
}

std::optional<double> parseDouble(std::string_view text, std::size_t* used) {
    return parseReal<double>(text, used);
}

std::optional<WholeNumber> wholeNumber(std::string_view field) {
    while (!field.empty() && text::isSpace(field.back())) {
        field.remove_suffix(1);
    }
    const SignedText sign = takeSign(field);
    std::string_view digits = sign.rest;
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), isDigit)) {
        return std::nullopt;
    }
    digits.remove_prefix(std::min(digits.find_first_not_of('0'), digits.size() - 1));
    return WholeNumber{sign.negative, digits};
}

std::optional<std::int32_t> parseInt(std::string_view text, std::size_t* used) {
    const auto parsed = scanInteger(text);
    if (!parsed) {
        return std::nullopt;
    }
    tell(used, parsed->used);
    const std::uint64_t limit =
        parsed->negative ? std::uint64_t{1} << 31 : (std::uint64_t{1} << 31) - 1;
    if (parsed->magnitude > limit) {
        return std::nullopt;
    }
    const auto magnitude = static_cast<std::int64_t>(parsed->magnitude);
    return static_cast<std::int32_t>(parsed->negative ? -magnitude : magnitude);
}

std::optional<std::uint32_t> parseUnsigned(std::string_view text, std::size_t* used) {
    const auto parsed = scanInteger(text);
    if (!parsed) {
        return std::nullopt;
    }
    tell(used, parsed->used);
    if (parsed->magnitude > UINT32_MAX) {
        return std::nullopt;
    }
    if (parsed->negative) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(parsed->magnitude);
}

} // namespace qlx::csv
