// Numbers as CSV text in the "C" locale's conventions, whatever the process locale: integers in
// decimal, reals in printf's %g notation.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qlx::csv {

// Room enough for any text written below.
inline constexpr std::size_t kMaxNumberText = 16;

// Writes `value` in printf's %g notation with the fewest significant digits, from 6 up to 9, that
// read back as the same float: a value that six digits carry is written as printf("%g") writes
// it. Returns the end.
char* formatFloat(char* out, float value);
// Writes `value` exactly as printf("%.*g", digits, value) does, for 1 <= digits <= 9.
char* formatGeneral(char* out, double value, int digits);
char* formatInt(char* out, std::int32_t value);
char* formatUnsigned(char* out, std::uint32_t value);

} // namespace qlx::csv
