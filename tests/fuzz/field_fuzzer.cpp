// Any bytes as CSV fields: every reader of the codec, checked against the C library where it is
// an oracle (strtof and strtoll on decimal text, printf %g), and hex blocks round-tripped.
#include "csv/field_codec.h"
#include "csv/number_text.h"

#include <array>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool decimalOnly(std::string_view text) {
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-' ||
              c == ' ')) {
            return false;
        }
    }
    return true;
}

void checkFloat(const std::string& text) {
    const auto parsed = qlx::csv::parseFloat(text);
    if (!decimalOnly(text)) {
        return;
    }
    char* end = nullptr;
    errno = 0;
    const float expected = std::strtof(text.c_str(), &end);
    const bool none = end == text.c_str();
    const bool overflow = errno == ERANGE && std::isinf(expected);
    if (none || overflow) {
        if (parsed) {
            std::abort();
        }
    } else if (!parsed ||
               std::bit_cast<std::uint32_t>(*parsed) != std::bit_cast<std::uint32_t>(expected)) {
        std::abort();
    }
}

void checkInt(const std::string& text) {
    const auto parsed = qlx::csv::parseInt(text);
    if (!decimalOnly(text) || text.find_first_of(".eE") != std::string::npos) {
        return;
    }
    char* end = nullptr;
    errno = 0;
    const long long expected = std::strtoll(text.c_str(), &end, 10);
    const bool valid =
        end != text.c_str() && errno != ERANGE && expected >= INT32_MIN && expected <= INT32_MAX;
    if (valid != parsed.has_value() || (valid && *parsed != expected)) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qlx::csv;
    const std::string text(reinterpret_cast<const char*>(data), size);
    checkFloat(text);
    checkInt(text);

    CsvRow row;
    splitLine(text, row);
    CsvRowView view = row.view();
    std::int32_t i = 0;
    std::uint32_t u = 0;
    float f = 0;
    std::array<char, 15> name{};
    std::array<std::uint8_t, 29> block{};
    takeInt(view, i);
    takeUnsigned(view, u);
    takeFloat(view, f);
    takeName(view, name);
    takeTrimmedName(view, name);
    takeHex(view, block);

    // Any float's text is printf's, and reads back to a value that writes the same text.
    if (size >= 4) {
        float value;
        std::memcpy(&value, data, 4);
        char expected[64];
        std::snprintf(expected, sizeof expected, "%g", static_cast<double>(value));
        CsvRow written;
        appendFloat(written, value);
        if (written.text() != expected) {
            std::abort();
        }
        CsvRowView back = written.view();
        float read = 0;
        takeFloat(back, read);
        CsvRow again;
        appendFloat(again, read);
        if (again.text() != written.text()) {
            std::abort();
        }
    }

    // Any bytes survive a hex field.
    const auto bytes = std::span(data, std::min<std::size_t>(size, 64));
    CsvRow hex;
    appendHex(hex, bytes);
    std::array<std::uint8_t, 64> decoded{};
    CsvRowView hexView = hex.view();
    takeHex(hexView, std::span(decoded).first(bytes.size()));
    if (!std::equal(bytes.begin(), bytes.end(), decoded.begin())) {
        std::abort();
    }
    return 0;
}
