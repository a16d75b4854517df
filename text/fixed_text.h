// Byte-text rules that both file forms share: text in fixed-width fields that a NUL ends, cut
// only where a Shift-JIS character ends, and the white space that readers skip or trim, as the
// "C" locale classifies it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace qlx::text {

// The bytes of a fixed-width text field up to its first NUL, never beyond the field.
inline std::string_view fieldText(std::span<const char> field) {
    const void* nul = std::memchr(field.data(), '\0', field.size());
    return {field.data(), nul == nullptr ? field.size()
                                         : static_cast<std::size_t>(static_cast<const char*>(nul) -
                                                                    field.data())};
}

// A Shift-JIS lead byte (81-9F, E0-FC) and the byte after it are one character.
inline bool isShiftJisLead(char c) {
    const auto byte = static_cast<std::uint8_t>(c);
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// How much of a Shift-JIS text, at most `limit` bytes, ends where a character ends, so that a
// cut never splits a character.
inline std::size_t wholeCharacters(std::string_view text, std::size_t limit) {
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t size = isShiftJisLead(text[end]) ? 2 : 1;
        if (end + size > limit) {
            break;
        }
        end += size;
    }
    return std::min(end, text.size());
}

// Copies `text` (up to its first NUL) into `field`, at most `limit` bytes, cut after its last
// whole character when it is longer, and a NUL after it when there is room below
// `field.size()`; the bytes after that NUL keep their contents. Says how many bytes it copied.
inline std::size_t copyText(std::string_view text, std::span<char> field, std::size_t limit) {
    text = text.substr(0, text.find('\0'));
    limit = std::min(limit, field.size());
    text = text.substr(0, text.size() > limit ? wholeCharacters(text, limit) : text.size());
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

// A text of white space alone, or none: a blank field.
inline bool isBlank(std::string_view text) {
    return std::all_of(text.begin(), text.end(), isSpace);
}

} // namespace qlx::text
