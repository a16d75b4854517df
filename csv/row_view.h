// Read access to the fields of one CSV row, consumed from the front by the field readers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace qlx::csv {

// Copying a view copies its position, never the bytes, and taking fields from it changes
// nothing in the row it views.
class CsvRowView {
public:
    CsvRowView() = default;
    // `ends` holds each field's end, counted from `text`; a field starts just after the comma
    // that ends the one before it.
    CsvRowView(const char* text, std::span<const std::uint32_t> ends) : text_(text), ends_(ends) {}

    bool empty() const { return next_ == ends_.size(); }
    std::size_t fieldCount() const { return ends_.size() - next_; }
    std::string_view front() const {
        const std::uint32_t begin = next_ == 0 ? 0 : ends_[next_ - 1] + 1;
        return {text_ + begin, ends_[next_] - begin};
    }
    void popFront() { ++next_; }

private:
    const char* text_ = nullptr;
    std::span<const std::uint32_t> ends_;
    std::size_t next_ = 0;
};

} // namespace qlx::csv
