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

namespace qlx::csv {

// A row ends at the first LF outside a quoted field (see CsvRowView), and a CR just before that
// LF is dropped; the text after the last LF is a last row, so a final line end yields a final
// empty row and no bytes one empty row. The buffer grows only for a row longer than itself.
class RowReader {
public:
    // Fills the span with the next bytes and says how many; 0 at the end, nothing on an error.
    using Source = std::function<std::optional<std::size_t>(std::span<char>)>;
    // `sizeHint`, when known, is how many bytes the source holds; it bounds the buffer's growth.
    explicit RowReader(Source source, std::uint64_t sizeHint = 0);

    // Whether a row follows those taken so far.
    bool more() const { return more_; }
    // The next row, valid until the next call; the caller checks `more()` first.
    CsvRowView next() { return CsvRowView(nextLine()); }
    // The next row's text, as `next` would view it.
    std::string_view nextLine();
    // Takes the remaining rows, to learn whether the whole file reads.
    void skipRest();
    // Whether a read failed or a row was too long to index (4 GiB); rows taken since are not
    // to be trusted.
    bool failed() const { return failed_; }

private:
    // Where the search for the end of a row stands, kept while the buffer fills.
    struct RowScan {
        enum class Mode { Line, FieldStart, Unquoted, Quoted };
        Mode mode = Mode::Line;
        std::size_t at = 0;         // bytes before this are scanned
        std::size_t fieldStart = 0; // of a quoted field
    };
    std::optional<std::size_t> rowEnd(RowScan& scan) const;
    bool refill();

    Source source_;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_;
    std::uint64_t unreadHint_;
    std::size_t begin_ = 0; // the unread bytes are [begin_, end_)
    std::size_t end_ = 0;
    bool atEnd_ = false;
    bool more_ = true;
    bool failed_ = false;
};

} // namespace qlx::csv
