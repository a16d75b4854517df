// The text form of single numbers in the "C" locale's conventions, whatever the process locale:
// integers in decimal, floats as printf's %g writes them, and parsing as the standard stream
// extraction reads them (leading white space, a sign, the longest number, the rest ignored).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qlx::csv {

// White space as readers skip it before a number or trim it from a name: space, tab, line feed,
// vertical tab, form feed and carriage return.
inline bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Room enough for any text written below.
inline constexpr std::size_t kMaxNumberText = 16;

// Writes `value`, widened to double, exactly as printf("%g") does; returns the end.
char* formatFloat(char* out, float value);
char* formatInt(char* out, std::int32_t value);
char* formatUnsigned(char* out, std::uint32_t value);

// Nothing when no number can be read or it lies outside the type's range. "inf" and "nan" in
// any case read as themselves; a value too small for a float reads as zero of its sign.
std::optional<float> parseFloat(std::string_view text);
std::optional<std::int32_t> parseInt(std::string_view text);
// A leading minus negates modulo 2^32, as strtoul does.
std::optional<std::uint32_t> parseUnsigned(std::string_view text);

} // namespace qlx::csv
