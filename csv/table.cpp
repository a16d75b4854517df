// CSV tables: appending built rows, indexing a file's lines, and laying the table out as text.
#include "csv/table.h"

#include <cstring>
#include <limits>
#include <utility>

namespace qlx::csv {

namespace {

constexpr std::size_t kMaxLine = std::numeric_limits<std::uint32_t>::max();

// memchr over a range that may be empty (and then may have no address at all).
const char* findByte(const char* begin, const char* end, char byte) {
    return begin == end ? nullptr
                        : static_cast<const char*>(
                              std::memchr(begin, byte, static_cast<std::size_t>(end - begin)));
}

} // namespace

std::size_t CsvTable::fieldsOf(std::size_t row) const {
    return (row + 1 < rows_.size() ? rows_[row + 1].firstField : ends_.size()) -
           rows_[row].firstField;
}

CsvRowView CsvTable::rowAt(std::size_t index) const {
    const Row& row = rows_[index];
    return {bytes_.data() + row.start,
            std::span(ends_).subspan(static_cast<std::size_t>(row.firstField), fieldsOf(index))};
}

void CsvTable::appendRow(const CsvRow& row) {
    rows_.push_back({bytes_.size(), ends_.size()});
    const std::string_view text = row.text();
    char* out = bytes_.extend(text.size() + 2);
    text.copy(out, text.size());
    std::memcpy(out + text.size(), "\r\n", 2);
    ends_.insert(ends_.end(), row.fieldEnds().begin(), row.fieldEnds().end());
}

void CsvTable::reserve(std::size_t bytes, std::size_t rows, std::size_t fields) {
    bytes_.reserve(bytes_.size() + bytes);
    rows_.reserve(rows_.size() + rows);
    ends_.reserve(ends_.size() + fields);
}

bool CsvTable::appendLines(io::Buffer bytes) {
    const std::size_t from = bytes_.size();
    if (from == 0) {
        bytes_ = std::move(bytes);
    } else {
        bytes_.append(bytes.view());
    }
    return indexLines(from);
}

// Adds the rows of the lines that start at `from`, the end of the bytes the table indexed.
// Every comma ends a field, and a comma at the end of a line starts no further one.
bool CsvTable::indexLines(std::size_t from) {
    const std::size_t oldRows = rows_.size();
    const std::size_t oldFields = ends_.size();
    const char* const data = bytes_.data();
    const std::size_t size = bytes_.size();
    // Lines average well over ten bytes a field; a guess that saves most regrowth.
    ends_.reserve(ends_.size() + (size - from) / 12);
    std::size_t pos = from;
    for (;;) {
        const char* lf = findByte(data + pos, data + size, '\n');
        const std::size_t lineEnd = lf != nullptr ? static_cast<std::size_t>(lf - data) : size;
        std::size_t textEnd = lineEnd;
        if (lf != nullptr && textEnd > pos && data[textEnd - 1] == '\r') {
            --textEnd;
        }
        if (textEnd - pos > kMaxLine) {
            bytes_.truncate(from);
            rows_.resize(oldRows);
            ends_.resize(oldFields);
            return false;
        }
        rows_.push_back({pos, ends_.size()});
        for (const char* p = data + pos; p != data + textEnd;) {
            const char* comma = findByte(p, data + textEnd, ',');
            const char* fieldEnd = comma != nullptr ? comma : data + textEnd;
            ends_.push_back(static_cast<std::uint32_t>(fieldEnd - (data + pos)));
            p = comma != nullptr ? comma + 1 : fieldEnd;
        }
        if (lf == nullptr) {
            return true;
        }
        pos = lineEnd + 1;
    }
}

void CsvTable::forEachPiece(const std::function<void(std::string_view)>& write) const {
    // Built rows, and lines read with CR LF and without a trailing comma, already stand in the
    // buffer as they are written: runs of them go out as one piece.
    const std::string_view bytes = bytes_.view();
    std::size_t pendingBegin = 0;
    std::size_t pendingEnd = 0;
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        const std::size_t fields = fieldsOf(row);
        const std::size_t start = rows_[row].start;
        const std::size_t textEnd =
            start + (fields == 0 ? 0 : ends_[rows_[row].firstField + fields - 1]);
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
        write(bytes.substr(pendingBegin, pendingEnd - pendingBegin));
    }
}

} // namespace qlx::csv
