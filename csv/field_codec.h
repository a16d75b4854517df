// The text form of one value as one CSV field. Writers append a field at the end of a row;
// readers take the first field of a row and remove it, converted or not. A reader given a row
// without fields, or a field it cannot convert, leaves its target as it was.
#pragma once

#include "csv/row.h"
#include "csv/row_view.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qlx::csv {

void appendInt(CsvRow& row, std::int32_t value);
void appendUnsigned(CsvRow& row, std::uint32_t value);
// printf's %g of the value: six significant digits.
void appendFloat(CsvRow& row, float value);
// The name field's bytes up to its first NUL, at most the field's width; between double quotes,
// each quote in it doubled, when they hold a comma, a CR or a LF or begin with a quote.
void appendName(CsvRow& row, std::span<const char> name);
// "0x" and two upper-case hex digits per byte.
void appendHex(CsvRow& row, std::span<const std::uint8_t> block);
// The two upper-case hex digits of each byte, added to the text: a block written in pieces.
void appendHexDigits(std::string& text, std::span<const std::uint8_t> bytes);

// A hex digit's value, in either case; -1 for any other character.
int hexDigit(char c);

// How a reader took its field. `text`, when given, receives the field as written whenever it was
// taken other than whole.
enum class Taken : std::uint8_t {
    Whole,    // as written
    Missing,  // the row had no field left
    NotRead,  // no number, no block: the target keeps its value
    Partly,   // a number with text after it, a name longer than its width, a block of another
              // length: the target holds what was read
    CutAtNul, // a name that holds a NUL: the target holds what came before it
};

// How a name was taken from `text` when `copied` of its bytes were stored.
Taken nameTaken(std::string_view text, std::size_t copied);

Taken takeInt(CsvRowView& row, std::int32_t& target, std::string* text = nullptr);
Taken takeUnsigned(CsvRowView& row, std::uint32_t& target, std::string* text = nullptr);
Taken takeFloat(CsvRowView& row, float& target, std::string* text = nullptr);
// The whole field up to any NUL, at most the name's width, a NUL after it when shorter; the
// name's later bytes keep their contents.
Taken takeName(CsvRowView& row, std::span<char> name, std::string* text = nullptr);
// As `takeName`, with white space at both ends of the field removed first.
Taken takeTrimmedName(CsvRowView& row, std::span<char> name, std::string* text = nullptr);
// Bytes from the hex digit pairs after the field's first lower-case "x"; with fewer pairs than
// bytes, the byte after the last pair becomes 0 and the rest keep their values. Whole only for
// as many pairs as bytes, every character after the "x" a hex digit.
Taken takeHex(CsvRowView& row, std::span<std::uint8_t> block, std::string* text = nullptr);

} // namespace qlx::csv
