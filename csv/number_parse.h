// Reading numbers from CSV text as the standard stream extraction does in the "C" locale:
// leading white space, a sign, the longest number that follows, the rest of the text ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qlx::csv {

// Nothing when no number can be read or it lies outside the type's range. "inf" and "nan" in
// any case read as themselves; a value too small for the type reads as zero of its sign. `used`,
// when given, is set to how many bytes of the text the number took, white space before it
// included.
std::optional<float> parseFloat(std::string_view text, std::size_t* used = nullptr);
std::optional<double> parseDouble(std::string_view text, std::size_t* used = nullptr);
std::optional<std::int32_t> parseInt(std::string_view text, std::size_t* used = nullptr);
// A whole number alone in a field: digits, a sign before them and white space around them
// allowed; its sign and its digits, leading zeros dropped (one kept for zero).
struct WholeNumber {
    bool negative;
    std::string_view digits;
};
std::optional<WholeNumber> wholeNumber(std::string_view field);
// A minus makes no unsigned number, not even -0.
std::optional<std::uint32_t> parseUnsigned(std::string_view text, std::size_t* used = nullptr);

} // namespace qlx::csv
