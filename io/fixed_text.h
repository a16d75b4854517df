// Byte-text rules that both file forms share: text in fixed-width fields that a NUL ends, and
// the white space that readers skip or trim, as the "C" locale classifies it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <span>
#include <string_view>

namespace qlx::io {

// The bytes of a fixed-width text field up to its first NUL, never beyond the field.
inline std::string_view fieldText(std::span<const char> field) {
    const void* nul = std::memchr(field.data(), '\0', field.size());
    return {field.data(), nul == nullptr ? field.size()
                                         : static_cast<std::size_t>(static_cast<const char*>(nul) -
                                                                    field.data())};
}

// Copies `text` (up to its first NUL) into `field`, at most `limit` bytes, and a NUL after it
// when there is room below `field.size()`; the bytes after that NUL keep their contents. Says
// how many bytes it copied.
inline std::size_t copyText(std::string_view text, std::span<char> field, std::size_t limit) {
    text = text.substr(0, std::min(text.find('\0'), std::min(limit, field.size())));
    std::copy(text.begin(), text.end(), field.begin());
    if (text.size() < field.size()) {
        field[text.size()] = '\0';
    }
    return text.size();
}

// Space, tab, line feed, vertical tab, form feed and carriage return.
inline bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

} // namespace qlx::io
