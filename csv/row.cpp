// Building a CSV row field by field.
#include "csv/row.h"

#include <algorithm>
#include <cstring>

namespace qlx::csv {

void CsvRow::append(std::string_view field) {
    char* out = beginField(field.size());
    if (!field.empty()) {
        std::memcpy(out, field.data(), field.size());
    }
    endField(out + field.size());
}

char* CsvRow::beginField(std::size_t maxSize) {
    const std::size_t start = size_ + (hasField_ ? 1 : 0);
    if (text_.size() < start + maxSize) {
        text_.resize(std::max({start + maxSize, 2 * text_.size(), std::size_t{256}}));
    }
    if (hasField_) {
        text_[size_] = ',';
    }
    hasField_ = true;
    return text_.data() + start;
}

void CsvRow::endField(const char* end) {
    size_ = static_cast<std::size_t>(end - text_.data());
}

void CsvRow::clear() {
    size_ = 0;
    hasField_ = false;
}

void writeRow(std::string& text, const CsvRow& row) {
    text += row.text();
    text += "\r\n";
}

} // namespace qlx::csv
