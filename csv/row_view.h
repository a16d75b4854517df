// Read access to the fields of one CSV line, taken from the front by the field readers. A line
// is split only as far as they read it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace qlx::csv {

// Every comma ends a field, except inside a quoted field: one that begins with a double quote
// and whose closing quote (one not doubled) is followed by a comma or the end of the line. Its
// text is what stands between the quotes, doubled quotes made single; commas, CR and LF in it
// belong to it. A field that begins with a quote but is not closed so is plain text, quote and
// all. A line without bytes has no fields, and a comma at the end of a line starts no further
// one. Copying a view copies its position, never the line, and taking fields from it changes
// nothing in the line.
class CsvRowView {
public:
    CsvRowView() = default;
    explicit CsvRowView(std::string_view line)
        : line_(line), quoted_(std::memchr(line.data(), '"', line.size()) != nullptr) {
        findEnd();
    }

    bool empty() const {
        return start_ > line_.size() ||
               (start_ == line_.size() && (line_.empty() || line_.back() == ','));
    }
    // The front field's text, valid until the field is taken.
    std::string_view front() const {
        return unescaped_ ? std::string_view(text_)
                          : line_.substr(textStart_, textEnd_ - textStart_);
    }
    void popFront() {
        start_ = end_ + 1;
        findEnd();
    }

private:
    void findEnd() {
        unescaped_ = false;
        if (quoted_ && start_ < line_.size() && line_[start_] == '"' && takeQuoted()) {
            return;
        }
        end_ =
            start_ < line_.size() ? std::min(line_.find(',', start_), line_.size()) : line_.size();
        textStart_ = start_;
        textEnd_ = end_;
    }

    // A quoted field from `start_`, when it is closed as such a field must be.
    bool takeQuoted() {
        bool doubled = false;
        for (std::size_t i = start_ + 1;;) {
            const std::size_t quote = line_.find('"', i);
            if (quote == line_.npos) {
                return false;
            }
            const std::size_t after = quote + 1;
            if (after < line_.size() && line_[after] == '"') {
                doubled = true;
                i = after + 1;
                continue;
            }
            if (after < line_.size() && line_[after] != ',' && line_[after] != '\n') {
                return false;
            }
            end_ = after;
            textStart_ = start_ + 1;
            textEnd_ = quote;
            if (doubled) {
                text_.clear();
                for (std::size_t j = textStart_; j < textEnd_; ++j) {
                    text_ += line_[j];
                    j += line_[j] == '"' ? 1u : 0u; // the second of a doubled pair
                }
                unescaped_ = true;
            }
            return true;
        }
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
