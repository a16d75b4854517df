// The text encodings a CSV file may come in. The motion file holds Shift-JIS (code page 932, as
// Windows defines it); a CSV file is read as UTF-8, turned into code page 932 as it is read, when
// it begins with the UTF-8 byte-order mark, or when every byte of it forms UTF-8, at least one
// character lies outside ASCII and every such character has a code page 932 form. Any other file
// is Shift-JIS already, and passes byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace qlx::csv {

// The code page 932 code of a character: one byte (below 0x100) or a lead and a trail byte;
// where several codes have the character, the one that Windows writes. Nothing when it has none.
std::optional<std::uint16_t> shiftJisCode(char32_t character);

enum class TextEncoding { ShiftJis, Utf8, Utf8WithMark };

// Decides a file's encoding from its bytes, given in order, reading no more than it must.
class EncodingDetector {
public:
    // Takes the next bytes; true once the encoding is decided, when no more need be given.
    bool add(std::span<const char> bytes);
    // The encoding of the bytes given, once they are all of the file or it is decided.
    TextEncoding encoding() const;

private:
    bool judge(char32_t character, int length, std::size_t offset);

    std::size_t seen_ = 0;
    char held_[3] = {}; // the start of a character that the last bytes cut off
    std::size_t heldSize_ = 0;
    bool beyondAscii_ = false;
    std::optional<TextEncoding> decided_;
};

// The text of a UTF-8 source as code page 932: read through, each character turned into its
// code, the byte-order mark dropped. A sequence that is no UTF-8, or a character without a code
// page 932 form, ends the text, and `invalid` says so.
class ShiftJisFromUtf8 {
public:
    using Source = std::function<std::optional<std::size_t>(std::span<char>)>;
    explicit ShiftJisFromUtf8(Source utf8) : utf8_(std::move(utf8)) {}

    // Fills the span (of at least 4 bytes) as a source does: the count, 0 at the end, or
    // nothing when the UTF-8 source failed.
    std::optional<std::size_t> read(std::span<char> out);
    bool invalid() const { return invalid_; }

private:
    Source utf8_;
    char held_[3] = {};
    std::size_t heldSize_ = 0;
    bool started_ = false;
    bool invalid_ = false;
};

} // namespace qlx::csv
