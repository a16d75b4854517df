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

void takeInt(CsvRowView& row, std::int32_t& target);
void takeUnsigned(CsvRowView& row, std::uint32_t& target);
void takeFloat(CsvRowView& row, float& target);
// The whole field up to any NUL, at most the name's width, a NUL after it when shorter; the
// name's later bytes keep their contents.
void takeName(CsvRowView& row, std::span<char> name);
// As `takeName`, with white space at both ends of the field removed first.
void takeTrimmedName(CsvRowView& row, std::span<char> name);
// Bytes from the hex digit pairs after the field's first lower-case "x"; with fewer pairs than
// bytes, the byte after the last pair becomes 0 and the rest keep their values.
void takeHex(CsvRowView& row, std::span<std::uint8_t> block);

} // namespace qlx::csv
