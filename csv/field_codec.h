// The text form of one value as one CSV field. Writers append a field at the end of a row;
// readers take the value of one field, converted as far as it can be.
#pragma once

#include "csv/row.h"
#include "io/output_sink.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qlx::csv {

void appendInt(CsvRow& row, std::int32_t value);
void appendUnsigned(CsvRow& row, std::uint32_t value);
// The value in %g notation with the fewest significant digits, 6 to 9, that read back as it.
void appendFloat(CsvRow& row, float value);
// printf's %.<digits>g of the value.
void appendReal(CsvRow& row, double value, int digits);
// Whether a spreadsheet that opens the file would take a field of this text (Shift-JIS bytes) for
// a formula, a number, a date or a truth value, or whether it begins with an apostrophe, which a
// spreadsheet takes for the mark of a text.
bool spreadsheetReadsOtherwise(std::string_view text);
// The name a field holds: the field, less the apostrophe of a name written to stay text.
std::string_view unprotected(std::string_view field);

// How a text is written: as it stands (the signature); after an apostrophe where a spreadsheet
// would read it otherwise (a name); and also where it begins or ends with white space, which
// the reader of a trimmed name otherwise drops (a morph name).
enum class TextKind : std::uint8_t { Text, Name, TrimmedName };

// The name field's bytes up to its first NUL, at most the field's width, after an apostrophe
// where its kind says so; between double quotes, each quote in it doubled, when they hold a
// comma, a semicolon, a tab, a CR or a LF or begin with a quote, so that no separator a reader
// may choose splits them.
void appendName(CsvRow& row, std::span<const char> name, TextKind kind = TextKind::Name);
// "0x" and two upper-case hex digits per byte.
void appendHex(CsvRow& row, std::span<const std::uint8_t> block);
// The two upper-case hex digits of each byte, added to the text: a block written in pieces.
void appendHexDigits(std::string& text, std::span<const std::uint8_t> bytes);

// How a reader took the value of a field.
enum class Taken : std::uint8_t {
    Whole,        // as written
    Missing,      // the row had no field left
    NotRead,      // no number, no block: the target keeps its value
    Partly,       // a number with text after it, a name longer than its width, a block of another
                  // length: the target holds what was read
    CutAtNul,     // a name that holds a NUL: the target holds what came before it
    DecimalComma, // a number whose one comma was read as its decimal point
};

// How a name was taken from `text` when `copied` of its bytes were stored.
Taken nameTaken(std::string_view text, std::size_t copied);

// The readers of one field's text. A field they cannot convert leaves the target as it was.
Taken takeInt(std::string_view field, std::int32_t& target);
// With `commaIsPoint`, a field that is a number but for one comma in place of a point reads so.
Taken takeFloat(std::string_view field, float& target, bool commaIsPoint = false);
Taken takeDouble(std::string_view field, double& target, bool commaIsPoint = false);
// The whole name the field holds up to any NUL, at most the name's width, a NUL after it when
// shorter; the name's later bytes keep their contents.
Taken takeName(std::string_view field, std::span<char> name);
// As `takeName`, with white space at both ends of the field removed first, but for a name written
// after an apostrophe, which keeps it.
Taken takeTrimmedName(std::string_view field, std::span<char> name);
// Where a block's hex digits begin: after the field's first lower-case "x" (a key's interpolation
// or a camera's tail, read leniently), or after "0x" at the field's very start (a bone's rotation).
enum class HexPrefix : std::uint8_t { AfterFirstX, Exactly0x };

// Bytes from the hex digit pairs after the prefix; with fewer pairs than bytes, the byte after
// the last pair becomes 0 and the rest keep their values. Whole only for as many pairs as bytes,
// every character after the prefix a hex digit.
Taken takeHex(std::string_view field, std::span<std::uint8_t> block,
              HexPrefix prefix = HexPrefix::AfterFirstX);

// A byte block too long to hold, "0x" and pairs of hex digits, decoded from the pieces of its
// field as they come.
class HexBlock {
public:
    // Decodes the next piece of the field's text, the bytes to `out`.
    void add(std::string_view piece, io::OutputSink& out);
    // After the field's last piece: whether it was "0x" and whole pairs of hex digits alone.
    bool whole() const { return prefix_ == 2 && !broken_ && !half_; }

private:
    std::size_t prefix_ = 0; // of "0x", seen
    bool broken_ = false;
    bool half_ = false; // a digit waits for its pair
    char high_ = 0;
};

} // namespace qlx::csv
