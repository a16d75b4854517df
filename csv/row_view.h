// Read access to the fields of one CSV line, taken from the front by the field readers. A line
// is split only as far as they read it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace qlx::csv {

// Copying a view copies its position, never the bytes, and taking fields from it changes
// nothing in the line it views. Every comma ends a field; a line without bytes has no fields,
// and a comma at the end of a line starts no further one.
class CsvRowView {
public:
    CsvRowView() = default;
    explicit CsvRowView(std::string_view line) : line_(line) { findEnd(); }

    bool empty() const {
        return start_ > line_.size() ||
               (start_ == line_.size() && (line_.empty() || line_.back() == ','));
    }
    std::string_view front() const { return line_.substr(start_, end_ - start_); }
    void popFront() {
        start_ = end_ + 1;
        findEnd();
    }

private:
    void findEnd() {
        end_ =
            start_ < line_.size() ? std::min(line_.find(',', start_), line_.size()) : line_.size();
    }

    std::string_view line_;
    std::size_t start_ = 0;
    std::size_t end_ = 0;
};

} // namespace qlx::csv
