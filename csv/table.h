// A CSV file as a table of rows of byte-string fields: lines split at every comma, with no
// quoting, escaping or trimming.
//
// Motions have millions of rows, so a table keeps every row's text in one byte buffer, laid out
// as the file holds it (CR LF after each built row), with the fields' end offsets beside it.
// Appending a row copies bytes, indexing a file's lines is one pass, and writing a built table
// is one large write.
#pragma once

#include "csv/row.h"
#include "csv/row_view.h"
#include "io/buffer.h"
#include "io/large_vector.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

namespace qlx::csv {

class CsvTable {
public:
    std::size_t rowCount() const { return rows_.size(); }
    // `index` must be below `rowCount()`.
    CsvRowView rowAt(std::size_t index) const;
    // Stores a copy of the row, so the caller may clear and refill it.
    void appendRow(const CsvRow& row);

    // Appends one row per line of `bytes` (a line ends at LF; a CR just before it is dropped),
    // so a final line end yields a final empty row and no bytes one empty row. False, with the
    // table unchanged, for a line too long to index (4 GiB).
    bool appendLines(io::Buffer bytes);
    // Room for this many more bytes, rows and fields, so that building a table of known shape
    // never moves it.
    void reserve(std::size_t bytes, std::size_t rows, std::size_t fields);

    // Calls `write` with the table's text, CR LF after each row, in as few pieces as possible.
    void forEachPiece(const std::function<void(std::string_view)>& write) const;

private:
    bool indexLines(std::size_t from);
    std::size_t fieldsOf(std::size_t row) const;

    struct Row {
        std::uint64_t start;      // offset of the row's first byte in `bytes_`
        std::uint64_t firstField; // index of its first field in `ends_`
    };
    io::Buffer bytes_;
    io::LargeVector<Row> rows_;
    io::LargeVector<std::uint32_t> ends_;
};

} // namespace qlx::csv
