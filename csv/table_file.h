// A CSV file as a sequence of rows of byte-string fields: lines split at every comma, with no
// quoting, escaping or trimming, read front to back and written one row at a time, so that a
// file of any size passes through a small buffer.
#pragma once

#include "csv/row.h"
#include "csv/row_view.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace qlx::csv {

// The lines of a file as rows. A line ends at LF, and a CR just before it is dropped; the text
// after the last LF is a last row, so a final line end yields a final empty row and no bytes one
// empty row. The buffer grows only for a line longer than itself.
class RowReader {
public:
    // Fills the span with the next bytes and says how many; 0 at the end, nothing on an error.
    using Source = std::function<std::optional<std::size_t>(std::span<char>)>;
    // `sizeHint`, when known, is how many bytes the source holds; it bounds the buffer's growth.
    explicit RowReader(Source source, std::uint64_t sizeHint = 0);

    // Whether a row follows those taken so far.
    bool more() const { return more_; }
    // The next row, valid until the next call; the caller checks `more()` first.
    CsvRowView next();
    // Takes the remaining rows, to learn whether the whole file reads.
    void skipRest();
    // Whether a read failed or a line was too long to index (4 GiB); rows taken since are not
    // to be trusted.
    bool failed() const { return failed_; }

private:
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

// Appends the row as one line of a CSV file, ended by CR LF.
void writeRow(std::string& text, const CsvRow& row);

} // namespace qlx::csv
