// Read access to the fields of one CSV line, taken from the front by the field readers. A line
// is split only as far as they read it.
#pragma once

#include "csv/tokenizer.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace qlx::csv {

// Every separator ends a field, except inside a quoted field (see tokenizer.h): separators, CR
// and LF in one belong to its text. A line without bytes has no fields, and a separator at the
// end of a line starts no further one. Copying a view copies its position, never the line, and
// taking fields from it changes nothing in the line.
class CsvRowView {
public:
    CsvRowView() = default;
    // `holdsQuote`: whether the line holds a double quote, which the row reader has already seen.
    CsvRowView(std::string_view line, bool holdsQuote, char separator)
        : line_(line), separator_(separator), holdsQuote_(holdsQuote) {
        findEnd();
    }

    bool empty() const {
        return start_ > line_.size() ||
               (start_ == line_.size() && (line_.empty() || line_.back() == separator_));
    }
    // The front field's text, valid until the field is taken.
    std::string_view front() const { return unescaped_ ? std::string_view(text_) : textView_; }
    // Whether the front field stands between quotes.
    bool frontQuoted() const { return quoted_; }
    char separator() const { return separator_; }
    void popFront() {
        start_ = end_ + 1;
        findEnd();
    }

private:
    void findEnd() {
        const FieldEnd end = holdsQuote_ ? fieldEnd(line_, start_, separator_, true)
                                         : FieldEnd{FieldEnd::Kind::Separator,
                                                    find(line_, separator_, start_, line_.size())};
        quoted_ = end.quoted;
        end_ = end.at;
        const std::size_t textStart = start_ + (quoted_ ? 1 : 0);
        textView_ = line_.substr(std::min(textStart, line_.size()),
                                 (quoted_ ? end.closing : end_) - textStart);
        unescaped_ = end.doubled;
        if (unescaped_) {
            text_.clear();
            for (std::size_t j = 0; j < textView_.size(); ++j) {
                text_ += textView_[j];
                j += textView_[j] == '"' ? 1u : 0u; // the second of a doubled pair
            }
        }
    }

    std::string_view line_;
    char separator_ = ',';
    bool holdsQuote_ = false;   // whether the line holds any quote at all
    std::size_t start_ = 0;     // where the front field begins
    std::size_t end_ = 0;       // where it ends: at its separator, or the line's end
    std::string_view textView_; // its text, within the line, unless `unescaped_`
    bool quoted_ = false;
    bool unescaped_ = false; // its text is `text_`, its doubled quotes made single
    std::string text_;
};

} // namespace qlx::csv
