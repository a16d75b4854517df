// One value as one CSV field, and back.
#include "csv/field_codec.h"

#include "csv/number_format.h"
#include "csv/number_parse.h"
#include "text/ascii_case.h"
#include "text/fixed_text.h"

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

// White space may follow a number; anything else after it is text the number leaves out.
template <typename T, typename Parse>
Taken takeNumber(std::string_view field, T& target, Parse parse) {
    std::size_t used = 0;
    const auto value = parse(field, &used);
    if (!value) {
        return Taken::NotRead;
    }
    target = *value;
    return text::isBlank(field.substr(used)) ? Taken::Whole : Taken::Partly;
}

// A number with one comma in place of its point, where `commaIsPoint` allows it, or as it stands.
template <typename T, typename Parse>
Taken takeReal(std::string_view field, T& target, bool commaIsPoint, Parse parse) {
    const std::size_t comma = field.find(',');
    if (commaIsPoint && comma != field.npos && field.find_first_of(",.", comma + 1) == field.npos &&
        field.find('.') == field.npos) {
        std::string text(field);
        text[comma] = '.';
        T value = 0;
        if (takeNumber(text, value, parse) == Taken::Whole) {
            target = value;
            return Taken::DecimalComma;
        }
    }
    return takeNumber(field, target, parse);
}

// The characters that a text is quoted for: every separator a reader may choose, and line ends.
constexpr std::string_view kQuoted = ",;\t\r\n";

// Whether a text begins or ends with white space.
bool endsInSpace(std::string_view text) {
    return !text.empty() && (text::isSpace(text.front()) || text::isSpace(text.back()));
}

// Stores a name that a field holds, and says how it was stored.
Taken storeText(std::string_view text, std::span<char> name) {
    return nameTaken(text, text::copyText(text, name, name.size()));
}

// A hex digit's value, in either case; -1 for any other character.
int hexDigit(char c) {
    return kHexValues[static_cast<std::uint8_t>(c)];
}

// Decodes the hex digit pairs at the front of `digits` into `bytes`, up to the first character
// that is no hex digit or until `bytes` is full: how many pairs it decoded.
std::size_t decodeHex(std::string_view digits, std::span<std::uint8_t> bytes) {
    const std::size_t pairs = std::min(bytes.size(), digits.size() / 2);
    std::size_t k = 0;
    for (; k < pairs; ++k) {
        const int high = hexDigit(digits[2 * k]);
        const int low = hexDigit(digits[2 * k + 1]);
        if ((high | low) < 0) {
            break;
        }
        bytes[k] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return k;
}

// How the first byte of a name bears on what a spreadsheet makes of it: a formula's or an
// error's first character, a number's, a blank before a number, or a full-width sign's lead byte.
enum class Lead : std::uint8_t { Other, Formula, Number, Blank, Wide };
constexpr auto kLeads = [] {
    std::array<Lead, 256> leads{};
    for (const char c : std::string_view("=+-@'#\t\r\n")) {
        leads[static_cast<std::uint8_t>(c)] = Lead::Formula;
    }
    for (const char c : std::string_view("0123456789.($")) {
        leads[static_cast<std::uint8_t>(c)] = Lead::Number;
    }
    leads[' '] = Lead::Blank;
    leads[0x81] = leads[0x82] = Lead::Wide;
    return leads;
}();

} // namespace

Taken nameTaken(std::string_view text, std::size_t copied) {
    if (copied == text.size()) {
        return Taken::Whole;
    }
    return copied == text.find('\0') ? Taken::CutAtNul : Taken::Partly;
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

void appendReal(CsvRow& row, double value, int digits) {
    row.endField(formatGeneral(row.beginField(kMaxNumberText), value, digits));
}

// What Calc and Gnumeric were seen to read otherwise: a formula's first character or an error's,
// a number's (after blanks; the digits, signs and brackets in full width too), a truth value, and
// a date that begins with a month's name.
bool spreadsheetReadsOtherwise(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    const auto byte = [](char c) { return static_cast<std::uint8_t>(c); };
    if (kLeads[byte(text.front())] == Lead::Formula) {
        return true;
    }
    const std::string_view number =
        kLeads[byte(text.front())] == Lead::Blank
            ? text.substr(std::min(text.find_first_not_of(' '), text.size()))
            : text;
    if (!number.empty() && (kLeads[byte(number.front())] == Lead::Number || number.front() == '+' ||
                            number.front() == '-')) {
        return true;
    }
    // Code page 932's full-width digits (82 4F to 82 58), and its plus, minus, equals, at, left
    // bracket, dollar, yen and full stop (81 7B, 7C, 81, 97, 69, 90, 8F, 44).
    if (number.size() >= 2 && kLeads[byte(number[0])] == Lead::Wide) {
        const auto trail = byte(number[1]);
        if (number[0] == '\x82') {
            return trail >= 0x4F && trail <= 0x58;
        }
        switch (trail) {
        case 0x7B:
        case 0x7C:
        case 0x81:
        case 0x97:
        case 0x69:
        case 0x90:
        case 0x8F:
        case 0x44:
            return true;
        default:
            break;
        }
    }
    // The leading ASCII letters, in lower case as far as a truth value or a month needs them;
    // every key row has a name, so this costs no allocation.
    std::size_t letters = 0;
    std::array<char, 5> word{};
    for (; letters < text.size() && text::lowerAscii(text[letters]) >= 'a' &&
           text::lowerAscii(text[letters]) <= 'z';
         ++letters) {
        if (letters < word.size()) {
            word[letters] = text::lowerAscii(text[letters]);
        }
    }
    const std::string_view lower(word.data(), std::min(letters, word.size()));
    if ((letters == 4 && lower == "true") || (letters == 5 && lower == "false")) {
        return letters == text.size();
    }
    constexpr std::string_view kMonths = "jan feb mar apr may jun jul aug sep oct nov dec";
    if (letters < 3 || kMonths.find(lower.substr(0, 3)) == kMonths.npos) {
        return false;
    }
    std::string_view day = text.substr(letters);
    if (!day.empty() && std::string_view(" -/.,").find(day.front()) != std::string_view::npos) {
        day.remove_prefix(1);
    }
    return !day.empty() && day.front() >= '0' && day.front() <= '9';
}

std::string_view unprotected(std::string_view field) {
    return field.starts_with('\'') && spreadsheetReadsOtherwise(field.substr(1)) ? field.substr(1)
                                                                                 : field;
}

void appendName(CsvRow& row, std::span<const char> name, TextKind kind) {
    const std::string_view text = text::fieldText(name);
    const bool mark =
        kind != TextKind::Text &&
        (spreadsheetReadsOtherwise(text) || (kind == TextKind::TrimmedName && endsInSpace(text)));
    const bool quote = text.find_first_of(kQuoted) != text.npos;
    if (!mark && !quote && !text.starts_with('"')) {
        row.append(text);
        return;
    }
    if (mark && !quote) { // an apostrophe keeps it text
        char* out = row.beginField(1 + text.size());
        *out++ = '\'';
        row.endField(std::copy(text.begin(), text.end(), out));
        return;
    }
    // Quoted, each quote doubled, so that the text reads back whole.
    char* out = row.beginField(3 + 2 * text.size());
    *out++ = '"';
    if (mark) {
        *out++ = '\'';
    }
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

Taken takeInt(std::string_view field, std::int32_t& target) {
    return takeNumber(field, target, parseInt);
}
Taken takeFloat(std::string_view field, float& target, bool commaIsPoint) {
    return takeReal(field, target, commaIsPoint, parseFloat);
}

Taken takeDouble(std::string_view field, double& target, bool commaIsPoint) {
    return takeReal(field, target, commaIsPoint, parseDouble);
}

Taken takeName(std::string_view field, std::span<char> name) {
    return storeText(unprotected(field), name);
}

Taken takeTrimmedName(std::string_view field, std::span<char> name) {
    while (!field.empty() && text::isSpace(field.front())) {
        field.remove_prefix(1);
    }
    if (field.starts_with('\'')) {
        const std::string_view marked = field.substr(1);
        if (spreadsheetReadsOtherwise(marked) || endsInSpace(marked)) {
            return storeText(marked, name);
        }
    }
    while (!field.empty() && text::isSpace(field.back())) {
        field.remove_suffix(1);
    }
    return storeText(unprotected(field), name);
}

Taken takeHex(std::string_view field, std::span<std::uint8_t> block, HexPrefix prefix) {
    const auto x = prefix == HexPrefix::AfterFirstX ? field.find('x')
                   : field.starts_with("0x")        ? std::size_t{1}
                                                    : field.npos;
    if (x == field.npos) {
        return Taken::NotRead;
    }
    const std::string_view digits = field.substr(x + 1);
    std::size_t k = decodeHex(digits, block);
    if (k == block.size() && digits.size() == 2 * k) {
        return Taken::Whole;
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
    return hex ? Taken::Partly : Taken::NotRead;
}

void HexBlock::add(std::string_view piece, io::OutputSink& out) {
    while (prefix_ < 2 && !piece.empty() && !broken_) {
        broken_ = piece.front() != "0x"[prefix_++];
        piece.remove_prefix(1);
    }
    std::array<std::uint8_t, 4096> bytes;
    while (!piece.empty() && !broken_) {
        if (half_) { // the pair that the last piece cut in two
            const int low = hexDigit(piece.front());
            broken_ = low < 0 || hexDigit(high_) < 0;
            bytes[0] = static_cast<std::uint8_t>(hexDigit(high_) << 4 | std::max(low, 0));
            out.write(std::as_bytes(std::span(bytes).first(broken_ ? 0 : 1)));
            half_ = false;
            piece.remove_prefix(1);
            continue;
        }
        const std::size_t pairs = decodeHex(piece, bytes);
        out.write(std::as_bytes(std::span(bytes).first(pairs)));
        piece.remove_prefix(2 * pairs);
        if (piece.size() == 1) {
            half_ = true;
            high_ = piece.front();
            piece.remove_prefix(1);
        } else if (pairs < bytes.size() && !piece.empty()) {
            broken_ = true;
        }
    }
}

} // namespace qlx::csv
