// ASCII letters in lower case, as extensions and file names are compared without regard to case
// and as a spreadsheet reads a truth value or a month; every other character as it is.
#pragma once

namespace qlx::text {

template <typename Char> constexpr Char lowerAscii(Char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}

} // namespace qlx::text
