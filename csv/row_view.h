// Read access to the fields of one CSV line, taken from the front by the field readers. A line
// is split only as far as they read it.
#pragma once

#include "csv/quoted_field.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace qlx::csv {

// Every comma ends a field, except inside a quoted field (see closeQuoted): commas, CR and LF in
// one belong to its text. A line without bytes has no fields, and a comma at the end of a line
// starts no further one. Copying a view copies its position, never the line, and taking fields
// from it changes nothing in the line.
class CsvRowView {
public:
    CsvRowView() = default;
    explicit CsvRowView(std::string_view line)
        : CsvRowView(line, std::memchr(line.data(), '"', line.size()) != nullptr) {}
    // For a line already known to hold a double quote or not.
    CsvRowView(std::string_view line, bool holdsQuote) : line_(line), quoted_(holdsQuote) {
        findEnd();
    }

    bool empty() const {
        return start_ > line_.size() ||
               (start_ == line_.size() && (line_.empty() || line_.back() == ','));
    }
    // The front field's text, valid until the field is taken.
    std::string_view front() const {
        return unescaped_ ? std::string_view(text_)
                          : std::string_view(line_.data() + textStart_, textEnd_ - textStart_);
    }
    void popFront() {
        start_ = end_ + 1;
        findEnd();
    }

private:
    void findEnd() {
        unescaped_ = false;
        if (quoted_ && start_ < line_.size() && line_[start_] == '"') {
            const QuotedField field = closeQuoted(line_, start_ + 1, true);
            if (field.outcome == QuotedField::Outcome::Closed) {
                end_ = field.at + 1;
                textStart_ = start_ + 1;
                textEnd_ = field.at;
                if (field.doubled) {
                    unescape();
                }
                return;
            }
        }
        end_ =
            start_ < line_.size() ? std::min(line_.find(',', start_), line_.size()) : line_.size();
        textStart_ = start_;
        textEnd_ = end_;
    }

    void unescape() {
        text_.clear();
        for (std::size_t j = textStart_; j < textEnd_; ++j) {
            text_ += line_[j];
            j += line_[j] == '"' ? 1u : 0u; // the second of a doubled pair
        }
        unescaped_ = true;
    }

    std::string_view line_;
    bool quoted_ = false;       // whether the line holds any quote at all
    std::size_t start_ = 0;     // where the front field begins
    std::size_t end_ = 0;       // where it ends: at its comma, or the line's end
    std::size_t textStart_ = 0; // its text, within the line, unless `unescaped_`
    std::size_t textEnd_ = 0;
    bool unescaped_ = false; // its text is `text_`, its doubled quotes made single
    std::string text_;
};

} // namespace qlx::csv
