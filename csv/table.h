// A CSV file as a table of rows of byte-string fields: lines split at every comma, with no
// quoting, escaping or trimming, written back with CR LF line ends.
//
// Motions have millions of rows, so a table keeps every row's text in one byte buffer, laid out
// as the file holds it, with the fields' end offsets beside it. Appending a row copies bytes,
// reading a file is one read and one pass, and writing one is a few large writes.
#pragma once

#include "io/buffer.h"
#include "io/large_allocator.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qlx::csv {

// Read access to the fields of a row, consumed from the front. Copying it copies the position,
// never the bytes, and taking fields from it changes nothing in the row it views.
class CsvRowView {
public:
    CsvRowView() = default;
    CsvRowView(const char* text, std::span<const std::uint32_t> ends) : text_(text), ends_(ends) {}

    bool empty() const { return next_ == ends_.size(); }
    std::size_t fieldCount() const { return ends_.size() - next_; }
    std::string_view front() const {
        const std::uint32_t begin = next_ == 0 ? 0 : ends_[next_ - 1] + 1;
        return {text_ + begin, ends_[next_] - begin};
    }
    void popFront() { ++next_; }

private:
    const char* text_ = nullptr;
    std::span<const std::uint32_t> ends_; // each field's end, from the row's first byte
    std::size_t next_ = 0;
};

// A row being built: its fields joined by commas, and where each ends.
class CsvRow {
public:
    std::size_t fieldCount() const { return ends_.size(); }
    std::string_view field(std::size_t index) const { return view(index).front(); }
    std::string_view text() const { return text_; }
    CsvRowView view(std::size_t firstField = 0) const;

    void append(std::string_view field);
    // For writers that format in place: room for `maxSize` bytes, then `endField` with the end.
    char* beginField(std::size_t maxSize);
    void endField(const char* end);
    void clear();

private:
    friend class CsvTable;
    std::string text_;
    std::vector<std::uint32_t> ends_;
};

class CsvTable {
public:
    std::size_t rowCount() const { return rows_.size(); }
    CsvRowView rowAt(std::size_t index) const;
    void appendRow(const CsvRow& row);

    // Appends one row per line of `bytes`; false, with the table unchanged, for a line too long
    // to index (4 GiB).
    bool appendLines(std::string_view bytes);
    bool appendLines(io::Buffer bytes);
    // Room for this many more bytes, rows and fields, so that building a table of known shape
    // never moves it.
    void reserve(std::size_t bytes, std::size_t rows, std::size_t fields);

    // Calls `write` with the table's text, CR LF after each row, in as few pieces as possible.
    template <typename Write> void forEachPiece(Write write) const;

private:
    bool indexLines(std::size_t from);
    struct Row {
        std::uint64_t start;      // offset of the row's first byte in `bytes_`
        std::uint64_t firstField; // index of its first field in `ends_`
    };
    io::Buffer bytes_;
    io::LargeVector<Row> rows_;
    io::LargeVector<std::uint32_t> ends_;

    std::size_t fieldsOf(std::size_t row) const {
        return (row + 1 < rows_.size() ? rows_[row + 1].firstField : ends_.size()) -
               rows_[row].firstField;
    }
};

// Replaces the row's fields by those of the line: an empty line has none, every comma ends a
// field, and a comma at the end of the line starts no further field.
void splitLine(std::string_view line, CsvRow& row);
// The row's fields joined by commas, without a line end.
std::string joinRow(const CsvRow& row);
void appendRow(CsvTable& table, const CsvRow& row);
void clearRow(CsvRow& row);
std::size_t rowCount(const CsvTable& table);
CsvRowView rowAt(const CsvTable& table, std::size_t index);

// Appends one row per line of the file (a line ends at LF; a CR just before it is dropped), so a
// final line end yields a final empty row and an empty file one empty row. False when the file
// cannot be read; the table is then unchanged.
bool readTable(const std::filesystem::path& path, CsvTable& table);
// Writes one line per row, each ended by CR LF. False, with any existing file unchanged, when
// the file cannot be completely written.
bool writeTable(const std::filesystem::path& path, const CsvTable& table);

template <typename Write> void CsvTable::forEachPiece(Write write) const {
    // Rows built here, and lines read with CR LF and without a trailing comma, already stand
    // in the buffer as they are written: runs of them go out as one piece.
    std::size_t pendingBegin = 0;
    std::size_t pendingEnd = 0;
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        const std::size_t fields = fieldsOf(row);
        const std::size_t start = rows_[row].start;
        const std::size_t textEnd =
            start + (fields == 0 ? 0 : ends_[rows_[row].firstField + fields - 1]);
        const std::string_view bytes = bytes_.view();
        const bool inPlace =
            bytes.size() - textEnd >= 2 && bytes[textEnd] == '\r' && bytes[textEnd + 1] == '\n';
        if (inPlace && start == pendingEnd) {
            pendingEnd = textEnd + 2;
            continue;
        }
        if (pendingEnd > pendingBegin) {
            write(bytes.substr(pendingBegin, pendingEnd - pendingBegin));
        }
        if (inPlace) {
            pendingBegin = start;
            pendingEnd = textEnd + 2;
        } else {
            write(bytes.substr(start, textEnd - start));
            write(std::string_view("\r\n"));
            pendingBegin = pendingEnd = textEnd;
        }
    }
    if (pendingEnd > pendingBegin) {
        write(bytes_.view().substr(pendingBegin, pendingEnd - pendingBegin));
    }
}

} // namespace qlx::csv
