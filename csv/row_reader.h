// The rows of a CSV file, read front to back through a small buffer, so that a file of any size
// passes through little memory.
#pragma once

#include "csv/row_view.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

namespace qlx::csv {

// A row ends at the first LF outside a quoted field (see closeQuoted), and a CR just before that
// LF is dropped; the text after the last LF is a last row, unless there is none: a file reads the
// same with a final line end or without, and a CR that ends the file ends its last line. The
// buffer grows only for a row longer than itself, and never to find out whether a quoted field
// closes: that is read ahead and forgotten.
class RowReader {
public:
    // Reads the input's bytes from an offset into the span and says how many: 0 at the end,
    // nothing on an error.
    using Source = std::function<std::optional<std::size_t>(std::uint64_t, std::span<char>)>;
    // A row's text, and whether it holds a double quote.
    struct Line {
        std::string_view text;
        bool holdsQuote;
    };
    // Where a row begins, to read it again.
    struct Mark {
        std::uint64_t offset;
        std::uint64_t line;
    };

    // `size`, how many bytes the source holds, bounds the buffer; the rows begin at `start`.
    // With `fromUtf8`, each row is turned from UTF-8 into code page 932 as it is taken.
    RowReader(Source source, std::uint64_t size, std::uint64_t start = 0, bool fromUtf8 = false);

    // Whether a row follows those taken so far.
    bool more();
    // The next row, valid until the next call; the caller checks `more()` first.
    CsvRowView next() {
        const Line line = nextLine();
        return CsvRowView(line.text, line.holdsQuote);
    }
    Line nextLine();
    // The next row's text in pieces, in order, as the file holds it (never turned from UTF-8),
    // without holding it whole: a row of any length passes through the buffer.
    void streamLine(const std::function<void(std::string_view)>& piece);
    // Takes the remaining rows, to learn whether the whole file reads.
    void skipRest();

    Mark mark() const { return {offset_ + begin_, line_}; }
    // The next row taken is the one at the mark.
    void rewind(const Mark& mark);
    // The line on which the row last taken begins, counted from 1 as an editor counts lines:
    // line ends inside quoted fields count too.
    std::uint64_t line() const { return rowLine_; }

    // Whether a read failed, a row was too long to index (4 GiB) or its UTF-8 text could not be
    // turned; rows taken since are not to be trusted.
    bool failed() const { return failed_; }

private:
    // Where the search for the end of a row stands, kept while the buffer fills. Positions count
    // from the row's first byte.
    struct RowScan {
        enum class Mode { Line, FieldStart, Unquoted, Quoted };
        explicit RowScan(Mode from) : mode(from) {}
        Mode mode;
        std::size_t at = 0;                    // bytes before this are scanned
        std::size_t fieldStart = 0;            // of a quoted field
        std::size_t lineEnd = npos;            // the next LF found from `at`, if any
        std::optional<std::uint64_t> closesAt; // where in the input a long quoted field closes
        std::uint64_t lineEnds = 0;            // LFs in the parts of the row handed out
    };
    static constexpr std::size_t npos = std::string_view::npos;

    std::optional<std::size_t> rowEnd(RowScan& scan);
    template <typename MakeRoom> std::size_t findRowEnd(RowScan& scan, const MakeRoom& makeRoom);
    void lookAhead(RowScan& scan);
    void handOut(RowScan& scan, const std::function<void(std::string_view)>& piece);
    void compact();
    void grow();
    void fill();
    // Ends the row at `end` (from its first byte): its text, without the line end.
    std::string_view takeRow(std::size_t end, const RowScan& scan);

    Source source_;
    std::size_t capacity_;
    std::unique_ptr<char[]> buffer_;
    std::unique_ptr<char[]> scratch_; // for reading ahead
    std::uint64_t size_;
    std::uint64_t offset_;  // of the buffer's first byte in the input
    std::size_t begin_ = 0; // the unread bytes are [begin_, end_)
    std::size_t end_ = 0;
    bool fromUtf8_;
    bool atEnd_ = false;
    bool more_ = true;
    bool failed_ = false;
    std::uint64_t line_ = 1; // of the next row
    std::uint64_t rowLine_ = 0;
};

} // namespace qlx::csv
