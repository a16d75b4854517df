// The rows of a CSV file, read front to back through a buffer, so that a file of any size passes
// through little memory: a row is held whole only when it is asked for whole, a row too long for
// that is read in pieces, and a field that opens a quote is never held to learn whether it closes.
#pragma once

#include "csv/text_encoding.h"
#include "csv/tokenizer.h"
#include "platform/expected.h"
#include "platform/files.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

namespace qlx::csv {

// A row held whole: its text without the line end, in code page 932, valid until the next read.
struct Row {
    std::string_view text;
    bool holdsQuote;
    // Where it begins, counted from 1 as an editor counts lines: line ends in quoted fields too.
    std::uint64_t line;
};

// A piece of a row read in pieces: the next part of a field's text as the file holds it (never
// turned from UTF-8; a quoted field's text without its quotes, doubled quotes as they stand).
struct Piece {
    std::string_view text;
    bool fieldEnds; // the last piece of its field
    bool rowEnds;   // and of its row
};

// A row ends at the first LF outside a quoted field (see tokenizer.h), and a CR just before that
// LF is dropped; the text after the last LF is a last row, unless there is none: a file reads the
// same with a final line end or without, and a CR that ends the file ends its last line.
class RowReader {
public:
    // The file holds `size` bytes, which bound the buffer; the rows begin at `form.start`.
    RowReader(const platform::File& file, std::uint64_t size, const TextForm& form);

    // Whether a row follows those read so far, or a fault that the next read reports.
    bool more();
    // The next row, held whole; the caller checks `more()` first.
    platform::Expected<Row, ReadFault> next();
    // The next piece of the next row, without holding the row: its fields' texts in order, the
    // last piece of the row saying so; the caller checks `more()` before a row's first piece.
    platform::Expected<Piece, ReadFault> piece();
    // The line on which the next row begins.
    std::uint64_t line() const { return line_; }
    char separator() const { return form_.separator; }
    // How the text is written, as far as the rows read so far decided it.
    const TextForm& form() const { return form_; }

private:
    // Where the search for the end of a row stands while the buffer fills. Positions count from
    // `begin_`, the row's first byte held.
    struct Scan {
        enum class In : std::uint8_t { Start, Quoted, Plain };
        In in = In::Start;
        std::size_t field = 0;    // where the field being read begins
        std::size_t from = 0;     // where its end is to be looked for
        std::size_t text = 0;     // where its text not yet handed out begins
        std::size_t searched = 0; // how far a row without quotes was searched for its end
        bool quoteSeen = false;   // whether the row holds a quote
        // Whether the quote of a field longer than the buffer closes, as read ahead.
        enum class Quote : std::uint8_t { Unknown, Closes, Plain } quote = Quote::Unknown;
    };

    FieldEnd step(std::string_view text);
    FieldEnd rowEnd();
    bool makeRoom(const FieldEnd& end, bool grow);
    void lookAhead();
    void endRow(const FieldEnd& end, std::uint64_t lineEnds);
    void compact();
    void fill();
    std::string_view held() const { return {buffer_.get() + begin_, end_ - begin_}; }

    const platform::File& file_;
    TextReader text_;
    TextForm form_;
    std::size_t capacity_;
    std::unique_ptr<char[]> buffer_;
    std::size_t begin_ = 0; // the unread bytes are [begin_, end_)
    std::size_t end_ = 0;
    bool atEnd_ = false;
    std::optional<ReadFault> fault_;
    Scan scan_;
    std::uint64_t line_ = 1;          // of the next row
    std::uint64_t pieceLineEnds_ = 0; // in the pieces of the row being read in pieces
};

} // namespace qlx::csv
