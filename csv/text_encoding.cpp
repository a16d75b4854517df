// Code page 932's table and Windows' choice among its duplicate codes, UTF-8 read strictly, and
// the two uses of both: deciding a file's encoding and turning UTF-8 into code page 932.
#include "csv/text_encoding.h"

#include "text/fixed_text.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>

namespace qlx::csv {

namespace {

// The Unicode character of each double-byte code, lead byte by lead byte.
constexpr std::uint16_t kDoubleByteTable[] = {
#include "csv/shift_jis_table.inc"
};
constexpr std::uint8_t kTableLeads[][2] = {{0x81, 0x9F}, {0xE0, 0xEE}, {0xFA, 0xFC}};
constexpr std::size_t kTrails = 188; // 40-7E and 80-FC

std::uint8_t trailByte(std::size_t index) {
    return static_cast<std::uint8_t>(index < 0x3F ? 0x40 + index : 0x41 + index);
}

// The character of a double-byte code, or 0 where the code page has none.
char32_t doubleByteCharacter(std::uint8_t lead, std::uint8_t trail) {
    if (trail < 0x40 || trail == 0x7F || trail > 0xFC) {
        return 0;
    }
    const std::size_t t = trail < 0x7F ? trail - 0x40u : trail - 0x41u;
    if (lead >= 0xF0 && lead <= 0xF9) {
        return static_cast<char32_t>(0xE000 + (lead - 0xF0) * kTrails + t);
    }
    std::size_t row = 0;
    for (const auto& [first, last] : kTableLeads) {
        if (lead >= first && lead <= last) {
            return kDoubleByteTable[(row + lead - first) * kTrails + t];
        }
        row += static_cast<std::size_t>(last - first + 1);
    }
    return 0;
}

char32_t singleByteCharacter(std::uint8_t byte) {
    if (byte < 0x81) {
        return byte;
    }
    if (byte >= 0xA1 && byte <= 0xDF) {
        return 0xFF61 + (byte - 0xA1u);
    }
    return byte == 0xA0 ? 0xF8F0 : byte >= 0xFD ? 0xF8F1 + (byte - 0xFDu) : 0;
}

// Each character's code: the decoding above, inverted. Windows writes the first code that has a
// character, in code order, except that the NEC-selected rows (ED and EE) yield to the IBM rows
// (FA to FC).
using CodeTable = std::array<std::uint16_t, 0x10000>;

std::unique_ptr<const CodeTable> buildCodes() {
    auto codes = std::make_unique<CodeTable>();
    const auto add = [&](char32_t character, std::uint16_t code) {
        auto& slot = (*codes)[character];
        // 0 is the code of U+0000 alone, so it also marks a character without a code yet.
        slot = slot == 0 ? code : slot;
    };
    for (unsigned byte = 0; byte < 0x100; ++byte) {
        if (const char32_t c = singleByteCharacter(static_cast<std::uint8_t>(byte)); c != 0) {
            add(c, static_cast<std::uint16_t>(byte));
        }
    }
    constexpr std::uint8_t kLeadOrder[][2] = {
        {0x81, 0x9F}, {0xE0, 0xEC}, {0xF0, 0xFC}, {0xED, 0xEE}};
    for (const auto& [first, last] : kLeadOrder) {
        for (unsigned lead = first; lead <= last; ++lead) {
            for (std::size_t t = 0; t < kTrails; ++t) {
                const char32_t c =
                    doubleByteCharacter(static_cast<std::uint8_t>(lead), trailByte(t));
                if (c != 0) {
                    add(c, static_cast<std::uint16_t>(lead << 8 | trailByte(t)));
                }
            }
        }
    }
    // Six characters that the JIS table gives these codes and the Windows table gives others:
    // text decoded by the JIS table comes back as the same bytes.
    constexpr std::pair<char32_t, std::uint16_t> kJisForms[] = {{0x301C, 0x8160}, {0x2016, 0x8161},
                                                                {0x2212, 0x817C}, {0x00A2, 0x8191},
                                                                {0x00A3, 0x8192}, {0x00AC, 0x81CA}};
    for (const auto& [character, code] : kJisForms) {
        add(character, code);
    }
    return codes;
}

const CodeTable& codes() {
    static const std::unique_ptr<const CodeTable> table = buildCodes();
    return *table;
}

// One UTF-8 character: its length, 0 when the bytes end inside it, -1 when they are no UTF-8
// (a stray or missing continuation byte, an overlong form, a surrogate, beyond U+10FFFF).
struct Utf8Character {
    char32_t character;
    int length;
};

Utf8Character decodeUtf8(const char* text, std::size_t available) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(0);
    if (lead < 0x80) {
        return {lead, 1};
    }
    int length = 0;
    std::uint8_t low = 0x80, high = 0xBF; // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return {0, -1};
    }
    char32_t character = lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if (static_cast<std::size_t>(i) >= available) {
            return {0, 0};
        }
        const std::uint8_t next = byte(static_cast<std::size_t>(i));
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) {
            return {0, -1};
        }
        character = character << 6 | (next & 0x3F);
    }
    return {character, length};
}

bool isAscii8(const char* text) {
    std::uint64_t word;
    std::memcpy(&word, text, 8);
    return (word & 0x8080808080808080u) == 0;
}

} // namespace

std::optional<std::uint16_t> shiftJisCode(char32_t character) {
    if (character == 0) {
        return 0;
    }
    if (character > 0xFFFF) {
        return std::nullopt;
    }
    const std::uint16_t code = codes()[character];
    return code == 0 ? std::nullopt : std::optional(code);
}

// Whether the character decides the encoding: one that is no UTF-8, or has no code page 932 code,
// does.
bool EncodingDetector::judge(char32_t character, int length) {
    fault_ = length < 0 || !shiftJisCode(character);
    wide_ = wide_ || length >= 3;
    return fault_;
}

bool EncodingDetector::add(std::span<const char> bytes) {
    if (fault_) {
        return true;
    }
    std::size_t i = 0;
    // A character that the last bytes cut off is read from a copy of it and the first new ones.
    if (heldSize_ > 0) {
        char joined[4];
        std::memcpy(joined, held_, heldSize_);
        const std::size_t more = std::min<std::size_t>(4 - heldSize_, bytes.size());
        std::memcpy(joined + heldSize_, bytes.data(), more);
        const Utf8Character c = decodeUtf8(joined, heldSize_ + more);
        if (c.length == 0) {
            std::memcpy(held_ + heldSize_, bytes.data(), more);
            heldSize_ += more;
            return false;
        }
        if (judge(c.character, c.length)) {
            return true;
        }
        i = static_cast<std::size_t>(c.length) - heldSize_;
        heldSize_ = 0;
    }
    const std::size_t n = bytes.size();
    while (i < n) {
        while (i + 8 <= n && isAscii8(bytes.data() + i)) {
            i += 8;
        }
        if (i < n && static_cast<std::uint8_t>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        if (i == n) {
            break;
        }
        if (!first_) {
            noteFirst(bytes, i);
        }
        const Utf8Character c = decodeUtf8(bytes.data() + i, n - i);
        if (c.length == 0) {
            heldSize_ = n - i;
            std::memcpy(held_, bytes.data() + i, heldSize_);
            return false;
        }
        if (judge(c.character, c.length)) {
            return true;
        }
        i += static_cast<std::size_t>(c.length);
    }
    if (!first_) {
        lines_ += static_cast<std::uint64_t>(std::count(bytes.begin(), bytes.end(), '\n'));
    }
    return false;
}

// The line of the first byte outside ASCII, and the field it stands in, as far as these bytes
// hold it.
void EncodingDetector::noteFirst(std::span<const char> bytes, std::size_t at) {
    const std::array<char, 4> ends = {separator_, '"', '\r', '\n'};
    const std::string_view fieldEnds(ends.data(), ends.size());
    const std::string_view text(bytes.data(), bytes.size());
    const std::size_t from = at < 40 ? 0 : at - 40;
    const std::size_t before = text.substr(from, at - from).find_last_of(fieldEnds);
    const std::size_t begin = before == text.npos ? from : from + before + 1;
    const std::size_t end = std::min(text.find_first_of(fieldEnds, at), begin + 40);
    first_ = Sample{lines_ +
                        static_cast<std::uint64_t>(std::count(
                            text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n')) +
                        1,
                    std::string(text.substr(begin, end - begin))};
}

std::optional<Sample> EncodingDetector::alsoUtf8() const {
    return !fault_ && !wide_ && heldSize_ == 0 ? first_ : std::nullopt;
}

// A character cut off by the end of the file is no UTF-8.
TextEncoding EncodingDetector::encoding() const {
    return wide_ && !fault_ && heldSize_ == 0 ? TextEncoding::Utf8 : TextEncoding::ShiftJis;
}

namespace {

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

TextReader::TextReader(const platform::File& file, const TextForm& form)
    : file_(&file), offset_(form.start),
      utf16_(form.encoding == TextEncoding::Utf16Le || form.encoding == TextEncoding::Utf16Be),
      bigEndian_(form.encoding == TextEncoding::Utf16Be) {}

platform::Result<std::size_t> TextReader::read(std::span<char> into) {
    if (!utf16_) {
        const auto got = file_->readAt(offset_, into);
        offset_ += got.value_or(0);
        return got;
    }
    // Whole units decoded, a high surrogate kept for the low one that completes it.
    for (bool end = false; decodedAt_ == decoded_.size() && !end;) {
        decoded_.clear();
        decodedAt_ = 0;
        char bytes[4096];
        const auto got = file_->readAt(offset_, bytes);
        if (!got) {
            return got;
        }
        offset_ += *got;
        end = *got == 0;
        raw_.append(bytes, *got);
        const auto unit = [&](std::size_t at) -> char32_t {
            const auto byte = [&](std::size_t k) { return std::uint8_t(raw_[at + k]); };
            return bigEndian_ ? char32_t(byte(0) << 8 | byte(1)) : char32_t(byte(1) << 8 | byte(0));
        };
        std::size_t at = 0;
        for (; at + 2 <= raw_.size(); at += 2) {
            const char32_t u = unit(at);
            if (u >= 0xD800 && u < 0xDC00 && at + 4 > raw_.size() && !end) {
                break;
            }
            const char32_t low = at + 4 <= raw_.size() ? unit(at + 2) : 0;
            if (u >= 0xD800 && u < 0xDC00 && low >= 0xDC00 && low < 0xE000) {
                appendUtf8(decoded_, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                at += 2;
            } else if (u >= 0xD800 && u < 0xE000) {
                decoded_ += '\xFF';
            } else if (u != 0xFEFF) { // a mark inside the text, as Gnumeric writes every few KB
                appendUtf8(decoded_, u);
            }
        }
        raw_.erase(0, at);
        if (end && !raw_.empty()) { // a file that ends inside a unit
            decoded_ += '\xFF';
            raw_.clear();
        }
    }
    const std::size_t size = std::min(into.size(), decoded_.size() - decodedAt_);
    decoded_.copy(into.data(), size, decodedAt_);
    decodedAt_ += size;
    return size;
}

std::string utf8FromShiftJis(std::string_view text) {
    std::string utf8;
    utf8.reserve(text.size() * 3 / 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(text[i]);
        char32_t c = 0;
        if (text::isShiftJisLead(text[i]) && i + 1 < text.size()) {
            c = doubleByteCharacter(byte, static_cast<std::uint8_t>(text[i + 1]));
            i += c == 0 ? 0 : 1;
        } else if (!text::isShiftJisLead(text[i])) {
            c = singleByteCharacter(byte);
        }
        appendUtf8(utf8, c == 0 && byte != 0 ? U'?' : c);
    }
    return utf8;
}

namespace {

// UTF-8 into code page 932 in place, which is never longer; a sequence that is no UTF-8, or a
// character without a code, becomes `missing` when there is one, and ends it otherwise.
platform::Expected<std::size_t, char32_t> toShiftJis(std::span<char> text,
                                                     std::optional<char> missing) {
    const std::size_t n = text.size();
    std::size_t r = 0;
    std::size_t w = 0;
    while (r < n) {
        if (static_cast<std::uint8_t>(text[r]) < 0x80) {
            text[w++] = text[r++];
            continue;
        }
        const Utf8Character c = decodeUtf8(text.data() + r, n - r);
        const auto code = c.length <= 0 ? std::nullopt : shiftJisCode(c.character);
        r += c.length > 0 ? static_cast<std::size_t>(c.length) : 1;
        if (!code) {
            if (!missing) {
                return platform::unexpected(c.length <= 0 ? char32_t{0} : c.character);
            }
            text[w++] = *missing;
            continue;
        }
        if (*code > 0xFF) {
            text[w++] = static_cast<char>(*code >> 8);
        }
        text[w++] = static_cast<char>(*code & 0xFF);
    }
    return w;
}

} // namespace

std::string shiftJisFromUtf8Text(std::string_view text) {
    std::string shiftJis(text);
    shiftJis.resize(*toShiftJis(shiftJis, '?'));
    return shiftJis;
}

platform::Expected<std::size_t, ReadFault> shiftJisFromUtf8(std::span<char> text) {
    const auto converted = toShiftJis(text, std::nullopt);
    if (!converted) {
        return platform::unexpected(ReadFault{ReadFault::Kind::NotText, {}, 0, converted.error()});
    }
    return *converted;
}

} // namespace qlx::csv
