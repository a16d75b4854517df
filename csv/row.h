// A CSV row being built, one field at a time, as the line it becomes: fields joined by commas.
#pragma once

#include "csv/row_view.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qlx::csv {

class CsvRow {
public:
    // The line's text, without a line end.
    std::string_view text() const { return text_; }
    std::span<const std::uint32_t> fieldEnds() const { return ends_; }
    CsvRowView view() const { return {text_.data(), ends_}; }

    void append(std::string_view field);
    // For writers that format in place: room for `maxSize` bytes, then `endField` with the end.
    char* beginField(std::size_t maxSize);
    void endField(const char* end);
    void clear();

private:
    std::string text_;
    std::vector<std::uint32_t> ends_;
};

} // namespace qlx::csv
