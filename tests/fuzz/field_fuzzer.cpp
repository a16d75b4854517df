// Any bytes as CSV fields: the number readers checked against the C library where it is an
// oracle (strtof and strtoll on decimal text), every other reader run for its bounds, and hex
// blocks round-tripped.
#include "csv/field_codec.h"
#include "csv/number_parse.h"

#include <array>
#include <bit>
#include <cerrno>
#include <cmath>
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
    if (text.find_first_not_of("0123456789.eE+- ") != std::string::npos) {
        return;
    }
    char* end = nullptr;
    errno = 0;
    const float expected = std::strtof(text.c_str(), &end);
    if (end == text.c_str() || (errno == ERANGE && std::isinf(expected))) {
        require(!parsedFloat);
    } else {
        require(parsedFloat && std::bit_cast<std::uint32_t>(*parsedFloat) ==
                                   std::bit_cast<std::uint32_t>(expected));
    }
    errno = 0;
    const long long integer = std::strtoll(text.c_str(), &end, 10);
    const bool valid =
        end != text.c_str() && errno != ERANGE && integer >= INT32_MIN && integer <= INT32_MAX;
    require(valid == parsedInt.has_value() && (!valid || *parsedInt == integer));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    checkNumbers(text);

    CsvRow row;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        row.append(std::string_view(text).substr(start, comma - start));
        start = comma + 1;
    }
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

    const auto bytes = std::span(data, std::min<std::size_t>(size, 64));
    CsvRow hex;
    appendHex(hex, bytes);
    std::array<std::uint8_t, 64> decoded{};
    CsvRowView hexView = hex.view();
    takeHex(hexView, std::span(decoded).first(bytes.size()));
    require(std::equal(bytes.begin(), bytes.end(), decoded.begin()));
    return 0;
}
