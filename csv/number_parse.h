// Reading numbers from CSV text as the standard stream extraction does in the "C" locale:
// leading white space, a sign, the longest number that follows, the rest of the text ignored.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qlx::csv {

// Nothing when no number can be read or it lies outside the type's range. "inf" and "nan" in
// any case read as themselves; a value too small for a float reads as zero of its sign.
std::optional<float> parseFloat(std::string_view text);
std::optional<std::int32_t> parseInt(std::string_view text);
// A leading minus negates modulo 2^32, as strtoul does.
std::optional<std::uint32_t> parseUnsigned(std::string_view text);

} // namespace qlx::csv
