// A CSV row being built, one field at a time, as the line it becomes: fields joined by commas.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qlx::csv {

class CsvRow {
public:
    // The line's text, without a line end.
    std::string_view text() const { return {text_.data(), size_}; }

    void append(std::string_view field);
    // For writers that format in place: room for `maxSize` bytes, then `endField` with the end.
    char* beginField(std::size_t maxSize);
    void endField(const char* end);
    void clear();

private:
    // The text is the first `size_` bytes; the rest is room that a row reused for the next row
    // keeps, so that a field costs no filling of its room.
    std::string text_;
    std::size_t size_ = 0;
    bool hasField_ = false;
};

// Appends the row as one line of a CSV file, ended by CR LF.
void writeRow(std::string& text, const CsvRow& row);

} // namespace qlx::csv
