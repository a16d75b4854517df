// One value as one CSV field, and back.
#include "csv/field_codec.h"

#include "csv/number_format.h"
#include "csv/number_parse.h"
#include "io/fixed_text.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace qlx::csv {

namespace {

// Each character's value as a hex digit, or -1.
constexpr auto kHexValues = [] {
    std::array<std::int8_t, 256> values{};
    for (int c = 0; c < 256; ++c) {
        const int value = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                 : -1;
        values[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(value);
    }
    return values;
}();

// Each byte's two upper-case hex digits.
constexpr auto kHexPairs = [] {
    std::array<char, 512> pairs{};
    constexpr const char* digits = "0123456789ABCDEF";
    for (std::size_t i = 0; i < 256; ++i) {
        pairs[2 * i] = digits[i >> 4];
        pairs[2 * i + 1] = digits[i & 15];
    }
    return pairs;
}();

// Four bytes a step where it can: blocks are 29 or 64 bytes, and a tail any length.
char* writeHexDigits(char* out, std::span<const std::uint8_t> bytes) {
    const auto pair = [](std::uint8_t byte) { return &kHexPairs[2 * std::size_t{byte}]; };
    std::size_t i = 0;
    for (; i + 4 <= bytes.size(); i += 4, out += 8) {
        std::memcpy(out, pair(bytes[i]), 2);
        std::memcpy(out + 2, pair(bytes[i + 1]), 2);
        std::memcpy(out + 4, pair(bytes[i + 2]), 2);
        std::memcpy(out + 6, pair(bytes[i + 3]), 2);
    }
    for (; i < bytes.size(); ++i, out += 2) {
        std::memcpy(out, pair(bytes[i]), 2);
    }
    return out;
}

// Takes the front field as `how` says, noting it in `text` unless it was whole.
Taken taken(CsvRowView& row, Taken how, std::string* text) {
    if (how != Taken::Whole && text != nullptr) {
        text->assign(row.front());
    }
    row.popFront();
    return how;
}

// White space may follow a number; anything else after it is text the number leaves out.
template <typename T, typename Parse>
Taken takeNumber(CsvRowView& row, T& target, std::string* text, Parse parse) {
    if (row.empty()) {
        return Taken::Missing;
    }
    const std::string_view field = row.front();
    std::size_t used = 0;
    const auto value = parse(field, &used);
    if (!value) {
        return taken(row, Taken::NotRead, text);
    }
    target = *value;
    const bool whole =
        used == field.size() ||
        std::all_of(field.begin() + static_cast<std::ptrdiff_t>(used), field.end(), io::isSpace);
    return taken(row, whole ? Taken::Whole : Taken::Partly, text);
}

// A name cut short of the field's text was taken in part, or up to a NUL in it.
Taken takeText(CsvRowView& row, std::string_view text, std::span<char> name, std::string* noted) {
    const std::size_t copied = io::copyText(text, name, name.size());
    return taken(row, nameTaken(text, copied), noted);
}

} // namespace

Taken nameTaken(std::string_view text, std::size_t copied) {
    if (copied == text.size()) {
        return Taken::Whole;
    }
    return copied == text.find('\0') ? Taken::CutAtNul : Taken::Partly;
}

int hexDigit(char c) {
    return kHexValues[static_cast<std::uint8_t>(c)];
}

void appendInt(CsvRow& row, std::int32_t value) {
    row.endField(formatInt(row.beginField(kMaxNumberText), value));
}

void appendUnsigned(CsvRow& row, std::uint32_t value) {
    row.endField(formatUnsigned(row.beginField(kMaxNumberText), value));
}

void appendFloat(CsvRow& row, float value) {
    row.endField(formatFloat(row.beginField(kMaxNumberText), value));
}

void appendName(CsvRow& row, std::span<const char> name) {
    const std::string_view text = io::fieldText(name);
    if (text.find_first_of(",\r\n") == text.npos && !text.starts_with('"')) {
        row.append(text);
        return;
    }
    // Quoted, each quote doubled, so that the text reads back whole.
    char* out = row.beginField(2 + 2 * text.size());
    *out++ = '"';
    for (const char c : text) {
        *out++ = c;
        if (c == '"') {
            *out++ = '"';
        }
    }
    *out++ = '"';
    row.endField(out);
}

void appendHex(CsvRow& row, std::span<const std::uint8_t> block) {
    char* out = row.beginField(2 + 2 * block.size());
    *out++ = '0';
    *out++ = 'x';
    row.endField(writeHexDigits(out, block));
}

void appendHexDigits(std::string& text, std::span<const std::uint8_t> bytes) {
    const std::size_t start = text.size();
    text.resize(start + 2 * bytes.size());
    writeHexDigits(text.data() + start, bytes);
}

Taken takeInt(CsvRowView& row, std::int32_t& target, std::string* text) {
    return takeNumber(row, target, text, parseInt);
}
Taken takeUnsigned(CsvRowView& row, std::uint32_t& target, std::string* text) {
    return takeNumber(row, target, text, parseUnsigned);
}
Taken takeFloat(CsvRowView& row, float& target, std::string* text) {
    return takeNumber(row, target, text, parseFloat);
}

Taken takeName(CsvRowView& row, std::span<char> name, std::string* text) {
    if (row.empty()) {
        return Taken::Missing;
    }
    return takeText(row, row.front(), name, text);
}

Taken takeTrimmedName(CsvRowView& row, std::span<char> name, std::string* text) {
    if (row.empty()) {
        return Taken::Missing;
    }
    std::string_view trimmed = row.front();
    while (!trimmed.empty() && io::isSpace(trimmed.front())) {
        trimmed.remove_prefix(1);
    }
    while (!trimmed.empty() && io::isSpace(trimmed.back())) {
        trimmed.remove_suffix(1);
    }
    return takeText(row, trimmed, name, text);
}

Taken takeHex(CsvRowView& row, std::span<std::uint8_t> block, std::string* text) {
    if (row.empty()) {
        return Taken::Missing;
    }
    const std::string_view field = row.front();
    const auto x = field.find('x');
    if (x == field.npos) {
        return taken(row, Taken::NotRead, text);
    }
    const std::string_view digits = field.substr(x + 1);
    // Whole pairs of digits, as the export writes them, in a loop of their own.
    const std::size_t pairs = std::min(block.size(), digits.size() / 2);
    std::size_t k = 0;
    for (; k < pairs; ++k) {
        const int high = hexDigit(digits[2 * k]);
        const int low = hexDigit(digits[2 * k + 1]);
        if ((high | low) < 0) {
            break;
        }
        block[k] = static_cast<std::uint8_t>(high << 4 | low);
    }
    if (k == block.size() && digits.size() == 2 * k) {
        return taken(row, Taken::Whole, text);
    }
    // Pair k starts at 2k; the field's end counts as one non-digit character, so a pair that
    // starts exactly there still sets its byte (to 0) and ends the reading.
    for (; k < block.size() && 2 * k <= digits.size(); ++k) {
        const int high = 2 * k < digits.size() ? hexDigit(digits[2 * k]) : -1;
        if (high < 0) {
            block[k] = 0;
            continue;
        }
        const int low = 2 * k + 1 < digits.size() ? hexDigit(digits[2 * k + 1]) : -1;
        block[k] = static_cast<std::uint8_t>(16 * high + std::max(low, 0));
    }
    const bool hex =
        std::all_of(digits.begin(), digits.end(), [](char c) { return hexDigit(c) >= 0; });
    return taken(row, hex ? Taken::Partly : Taken::NotRead, text);
}

} // namespace qlx::csv
