// The text encodings a CSV file may come in. The motion file holds Shift-JIS (code page 932, as
// Windows defines it); a CSV file is read as UTF-8, turned into code page 932 as it is read, when
// it begins with the UTF-8 byte-order mark, or when every byte of it forms UTF-8, every character
// has a code page 932 form and at least one takes three bytes or more (every kana, kanji and
// full-width form does): pairs of half-width kana can look like UTF-8 of two bytes, and stay
// Shift-JIS. Any other file is Shift-JIS already, and passes byte for byte.
#pragma once

#include "platform/expected.h"
#include "platform/files.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qlx::csv {

// The code page 932 code of a character: one byte (below 0x100) or a lead and a trail byte;
// where several codes have the character, the one that Windows writes, and for the six that the
// JIS table maps elsewhere (U+301C, U+2016, U+2212, U+00A2, U+00A3, U+00AC) the JIS code. Nothing
// when it has none.
std::optional<std::uint16_t> shiftJisCode(char32_t character);

enum class TextEncoding { ShiftJis, Utf8, Utf16Le, Utf16Be };

// A line of a file, and a field of it.
struct Sample {
    std::uint64_t line;
    std::string text;
};

// How a CSV file's text is written: its encoding, where the text begins (after a byte-order
// mark) and the byte that separates its fields.
struct TextForm {
    TextEncoding encoding = TextEncoding::ShiftJis;
    std::uint64_t start = 0;
    char separator = ',';
    // Shift-JIS that would read as UTF-8 too: where it first reads otherwise.
    std::optional<Sample> alsoUtf8;
    // False for a file without a byte-order mark until a character outside ASCII shows how it
    // is written: its text up to there reads the same either way.
    bool decided = true;
};

// A file's text read front to back from where it begins: the file's own bytes, or, for UTF-16,
// the same text as UTF-8 (a unit that is no UTF-16 becomes a byte that is no UTF-8, and a
// byte-order mark inside the text, which some programs repeat, is dropped). A copy reads
// on from where the original stands, and leaves the original there.
class TextReader {
public:
    TextReader(const platform::File& file, const TextForm& form);
    // The next bytes of the text, at most as many as `into` holds: how many, 0 at the end.
    platform::Result<std::size_t> read(std::span<char> into);
    // Where the next byte is read from the file.
    std::uint64_t offset() const { return offset_; }

private:
    const platform::File* file_;
    std::uint64_t offset_; // of the next byte to read from the file
    bool utf16_;
    bool bigEndian_;
    std::string raw_;     // of UTF-16: bytes that the last read cut off inside a character
    std::string decoded_; // of UTF-16: text decoded but not yet read
    std::size_t decodedAt_ = 0;
};

// Decides whether a file without the mark is UTF-8 from its bytes, given in order, reading no
// more than it must: the first sequence that is no UTF-8, or a character without a code, makes it
// Shift-JIS; only the end of the file makes it UTF-8.
class EncodingDetector {
public:
    // `separator` ends the field that the note of a file read as Shift-JIS shows.
    explicit EncodingDetector(char separator = ',') : separator_(separator) {}
    // Takes the next bytes; true once the encoding is decided, when no more need be given.
    bool add(std::span<const char> bytes);
    // The encoding of the bytes given, once they are all of the file or it is decided.
    TextEncoding encoding() const;
    // Once all of the file is given: where a file read as Shift-JIS would read as UTF-8 too,
    // its first character that is no ASCII, and the field it stands in.
    std::optional<Sample> alsoUtf8() const;

private:
    bool judge(char32_t character, int length);
    void noteFirst(std::span<const char> bytes, std::size_t at);

    char separator_;
    char held_[3] = {}; // the start of a character that the last bytes cut off
    std::size_t heldSize_ = 0;
    bool wide_ = false;       // a character of three bytes or more
    bool fault_ = false;      // a sequence that is no UTF-8, or a character without a code
    std::uint64_t lines_ = 0; // line ends before the first character that is no ASCII
    std::optional<Sample> first_;
};

// Why the rows cannot be read on.
struct ReadFault {
    enum class Kind : std::uint8_t {
        System,  // a read failed, as `error` says
        NotText, // the row on `line` is no UTF-8, or holds `character`, which code page 932 lacks
    };
    Kind kind;
    platform::SystemError error;
    std::uint64_t line = 0;
    char32_t character = 0;
    TextEncoding encoding = TextEncoding::ShiftJis; // NotText: as what the row was read
};

// Turns UTF-8 text into code page 932 in place, which is never longer: its new size, or NotText
// with the first character without a code (0 for a sequence that is no UTF-8), on no line yet.
platform::Expected<std::size_t, ReadFault> shiftJisFromUtf8(std::span<char> text);

// Text for people to read, turned between code page 932 and UTF-8: a byte or a character that
// has no counterpart becomes "?".
std::string utf8FromShiftJis(std::string_view text);
std::string shiftJisFromUtf8Text(std::string_view text);

} // namespace qlx::csv
