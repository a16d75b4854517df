// CSV rows and tables, and reading and writing them as files.
#include "csv/table.h"

#include "io/file.h"

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

// Calls `fieldEnd` with the end of each field of `line`, counted from its first byte.
template <typename FieldEnd> void splitFields(std::string_view line, FieldEnd fieldEnd) {
    const char* const begin = line.data();
    const char* const end = begin + line.size();
    for (const char* p = begin; p != end;) {
        const char* comma = findByte(p, end, ',');
        if (comma == nullptr) {
            fieldEnd(static_cast<std::uint32_t>(end - begin));
            return;
        }
        fieldEnd(static_cast<std::uint32_t>(comma - begin));
        p = comma + 1;
    }
}

} // namespace

CsvRowView CsvRow::view(std::size_t firstField) const {
    CsvRowView view(text_.data(), ends_);
    for (std::size_t i = 0; i < firstField && !view.empty(); ++i) {
        view.popFront();
    }
    return view;
}

void CsvRow::append(std::string_view field) {
    char* out = beginField(field.size());
    if (!field.empty()) {
        std::memcpy(out, field.data(), field.size());
    }
    endField(out + field.size());
}

char* CsvRow::beginField(std::size_t maxSize) {
    if (!ends_.empty()) {
        text_ += ',';
    }
    const std::size_t start = text_.size();
    text_.resize(start + maxSize);
    return text_.data() + start;
}

void CsvRow::endField(const char* end) {
    text_.resize(static_cast<std::size_t>(end - text_.data()));
    ends_.push_back(static_cast<std::uint32_t>(text_.size()));
}

void CsvRow::clear() {
    text_.clear();
    ends_.clear();
}

CsvRowView CsvTable::rowAt(std::size_t index) const {
    const Row& row = rows_[index];
    return {bytes_.data() + row.start,
            std::span(ends_).subspan(static_cast<std::size_t>(row.firstField), fieldsOf(index))};
}

void CsvTable::appendRow(const CsvRow& row) {
    rows_.push_back({bytes_.size(), ends_.size()});
    char* out = bytes_.extend(row.text_.size() + 2);
    row.text_.copy(out, row.text_.size());
    std::memcpy(out + row.text_.size(), "\r\n", 2);
    ends_.insert(ends_.end(), row.ends_.begin(), row.ends_.end());
}

void CsvTable::reserve(std::size_t bytes, std::size_t rows, std::size_t fields) {
    bytes_.reserve(bytes_.size() + bytes);
    rows_.reserve(rows_.size() + rows);
    ends_.reserve(ends_.size() + fields);
}

bool CsvTable::appendLines(std::string_view bytes) {
    const std::size_t from = bytes_.size();
    bytes_.append(bytes);
    return indexLines(from);
}

bool CsvTable::appendLines(io::Buffer bytes) {
    if (bytes_.empty()) {
        bytes_ = std::move(bytes);
        return indexLines(0);
    }
    return appendLines(bytes.view());
}

// Adds the rows of the lines that start at `from`, the end of the bytes the table indexed.
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
            bytes_.shrink(from);
            rows_.resize(oldRows);
            ends_.resize(oldFields);
            return false;
        }
        rows_.push_back({pos, ends_.size()});
        splitFields(std::string_view(data + pos, textEnd - pos),
                    [this](std::uint32_t end) { ends_.push_back(end); });
        if (lf == nullptr) {
            return true;
        }
        pos = lineEnd + 1;
    }
}

void splitLine(std::string_view line, CsvRow& row) {
    row.clear();
    splitFields(line, [&](std::uint32_t end) {
        const std::uint32_t begin =
            row.fieldCount() == 0 ? 0 : static_cast<std::uint32_t>(row.text().size()) + 1;
        row.append(line.substr(begin, end - begin));
    });
}

std::string joinRow(const CsvRow& row) {
    return std::string(row.text());
}
void appendRow(CsvTable& table, const CsvRow& row) {
    table.appendRow(row);
}
void clearRow(CsvRow& row) {
    row.clear();
}
std::size_t rowCount(const CsvTable& table) {
    return table.rowCount();
}
CsvRowView rowAt(const CsvTable& table, std::size_t index) {
    return table.rowAt(index);
}

bool readTable(const std::filesystem::path& path, CsvTable& table) {
    auto bytes = io::readFile(path);
    return bytes && table.appendLines(std::move(*bytes));
}

bool writeTable(const std::filesystem::path& path, const CsvTable& table) {
    return io::replaceFile(path, [&](io::OutputSink& sink) {
        table.forEachPiece([&](std::string_view piece) { sink.write(piece); });
    });
}

} // namespace qlx::csv
