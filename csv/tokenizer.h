// Where a CSV field ends: the one rule for quotes and line ends, shared by the reader that finds
// where rows end, the view that splits a row into fields and the reading of rows too long to
// hold. A line ends at an LF, with the CRs just before it; CRs that end the text end it too. A
// field that begins with a double quote is quoted when its first quote that is not doubled is
// followed, after any blanks (spaces, and tabs where they do not separate), by the separator, a
// line end or the end of the text; its text is what stands between the quotes, doubled quotes
// made single. A field that begins with a quote but is not closed so is plain text, its quote and
// all, and ends at the next separator or line end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace qlx::csv {

struct FieldEnd {
    enum class Kind : std::uint8_t {
        Separator, // the separator at `at` ends the field
        LineEnd,   // the line end that begins at `at` (an LF, or the first of the CRs before
                   // one or before the end of the text) ends it
        Text,      // the text ends it, at `at`; only where the text is whole
        More,      // it ends beyond the text: the bytes before `at` are the field's, unless
                   // `open`, when whether its quote closes is not known yet
        Plain,     // its quote closes nothing: the field is plain text from that quote on
    };
    Kind kind;
    std::size_t at;
    bool quoted = false;     // closed: its text lies between its quotes, before `closing`
    bool open = false;       // More: a quoted field that may yet close, or not
    bool doubled = false;    // quoted: its text holds doubled quotes
    std::size_t closing = 0; // quoted: the closing quote
};

// Where the first `c` in [from, to) stands, or `to`.
inline std::size_t find(std::string_view text, char c, std::size_t from, std::size_t to) {
    const void* at = from < to ? std::memchr(text.data() + from, c, to - from) : nullptr;
    return at == nullptr ? to
                         : static_cast<std::size_t>(static_cast<const char*>(at) - text.data());
}

// Where the CRs just before `end` begin, no earlier than `from`: where a line end begins that an
// LF at `end`, or the end of the text there, closes.
std::size_t crsBefore(std::string_view text, std::size_t from, std::size_t end);

// The end of the field that begins at `start`. `whole` says that nothing follows the text;
// otherwise an end that the bytes after it could change is More.
FieldEnd fieldEnd(std::string_view text, std::size_t start, char separator, bool whole);

// The end of a field that a quote opened, looked for from `from`: just after that quote, or
// where a More said to go on. Every quote before `from` is doubled.
FieldEnd quotedEnd(std::string_view text, std::size_t from, char separator, bool whole);

// The end of a plain field, looked for from `from`.
FieldEnd plainEnd(std::string_view text, std::size_t from, char separator, bool whole);

} // namespace qlx::csv
