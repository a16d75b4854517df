// Building a CSV row field by field.
#include "csv/row.h"

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
    if (hasField_) {
        text_ += ',';
    }
    hasField_ = true;
    const std::size_t start = text_.size();
    text_.resize(start + maxSize);
    return text_.data() + start;
}

void CsvRow::endField(const char* end) {
    text_.resize(static_cast<std::size_t>(end - text_.data()));
}

void CsvRow::clear() {
    text_.clear();
    hasField_ = false;
}

void writeRow(std::string& text, const CsvRow& row) {
    text += row.text();
    text += "\r\n";
}

} // namespace qlx::csv
