// Numbers as CSV text in the "C" locale's conventions, whatever the process locale: integers in
// decimal, floats as printf's %g writes them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qlx::csv {

// Room enough for any text written below.
inline constexpr std::size_t kMaxNumberText = 16;

// Writes `value`, widened to double, exactly as printf("%g") does; returns the end.
char* formatFloat(char* out, float value);
char* formatInt(char* out, std::int32_t value);
char* formatUnsigned(char* out, std::uint32_t value);

} // namespace qlx::csv
