// What the C library reads from decimal text, as the oracle for the number parser: strtof for a
// float (nothing when it overflows) and strtoll for the integers, kept to 32 bits.
#pragma once

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

namespace qlx::test {

struct CNumbers {
    std::optional<float> real;
    std::optional<std::int32_t> integer;
    std::optional<std::uint32_t> natural; // none after a minus
};

inline CNumbers cNumbers(const std::string& text) {
    CNumbers numbers;
    char* end = nullptr;
    errno = 0;
    const float real = std::strtof(text.c_str(), &end);
    if (end != text.c_str() && !(errno == ERANGE && std::isinf(real))) {
        numbers.real = real;
    }
    errno = 0;
    const long long integer = std::strtoll(text.c_str(), &end, 10);
    if (end != text.c_str() && errno != ERANGE) {
        if (integer >= INT32_MIN && integer <= INT32_MAX) {
            numbers.integer = static_cast<std::int32_t>(integer);
        }
        const std::size_t sign = text.find_first_not_of(" \t\n\v\f\r");
        const bool minus = sign != text.npos && text[sign] == '-';
        if (!minus && integer <= 0xFFFFFFFFll) {
            numbers.natural = static_cast<std::uint32_t>(integer);
        }
    }
    return numbers;
}

// Both nothing, or the same float bit for bit.
inline bool sameBits(std::optional<float> a, std::optional<float> b) {
    return a.has_value() == b.has_value() &&
           (!a || std::bit_cast<std::uint32_t>(*a) == std::bit_cast<std::uint32_t>(*b));
}

} // namespace qlx::test
