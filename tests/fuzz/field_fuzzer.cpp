// Any bytes as CSV fields: the number readers checked against the C library where it is an
// oracle (strtof and strtoll on decimal text), every other reader run for its bounds, and hex
// blocks round-tripped. The same bytes as a file's text: its encoding is the same whether it
// comes whole or byte by byte, and text found to be UTF-8 converts without fault, never longer.
#include "csv/field_codec.h"
#include "csv/number_parse.h"
#include "csv/row_view.h"
#include "csv/text_encoding.h"
#include "tests/support/number_oracle.h"
#include "tests/support/support.h"

#include <array>
#include <cstdlib>
#include <string>

namespace {

using namespace qlx::csv;

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void checkNumbers(const std::string& text) {
    const auto parsedFloat = parseFloat(text);
    const auto parsedInt = parseInt(text);
    const auto parsedUnsigned = parseUnsigned(text);
    if (text.find_first_not_of("0123456789.eE+- ") != std::string::npos) {
        return;
    }
    const auto expected = qlx::test::cNumbers(text);
    require(qlx::test::sameBits(parsedFloat, expected.real) && parsedInt == expected.integer &&
            parsedUnsigned == expected.natural);
}

void checkEncoding(const std::string& text) {
    EncodingDetector whole;
    whole.add(text);
    EncodingDetector byByte;
    for (std::size_t i = 0; i < text.size() && !byByte.add({text.data() + i, 1}); ++i) {
    }
    require(whole.encoding() == byByte.encoding());
    std::string converted = text;
    const auto size = shiftJisFromUtf8(converted);
    require(!size || *size <= text.size());
    require(whole.encoding() != TextEncoding::Utf8 || size.has_value());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    checkNumbers(text);
    checkEncoding(text);

    CsvRow row;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        row.append(std::string_view(text).substr(start, comma - start));
        start = comma + 1;
    }
    std::int32_t i = 0;
    float f = 0;
    std::array<char, 15> name{};
    std::array<std::uint8_t, 29> block{};
    for (CsvRowView view(row.text(), row.text().find('"') != std::string_view::npos, ',');
         !view.empty(); view.popFront()) {
        const std::string_view field = view.front();
        takeInt(field, i);
        takeFloat(field, f);
        takeName(field, name);
        takeTrimmedName(field, name);
        takeHex(field, block);
    }

    const auto bytes = std::span(data, std::min<std::size_t>(size, 64));
    CsvRow hex;
    appendHex(hex, bytes);
    std::array<std::uint8_t, 64> decoded{};
    takeHex(hex.text(), std::span(decoded).first(bytes.size()));
    require(std::equal(bytes.begin(), bytes.end(), decoded.begin()));
    return 0;
}
