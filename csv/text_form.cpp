// Telling a CSV file's form from its first bytes.
#include "csv/text_form.h"

#include <vector>

namespace qlx::csv {

namespace {

constexpr std::size_t kReadSize = std::size_t{1} << 20;
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

} // namespace

platform::Result<TextForm> readTextForm(platform::File& file) {
    std::vector<char> buffer(kReadSize);
    EncodingDetector detector;
    for (std::uint64_t at = 0;;) {
        const auto got = file.readAt(at, buffer);
        if (!got) {
            return platform::unexpected(got.error());
        }
        const std::string_view bytes(buffer.data(), *got);
        if (at == 0 && bytes.starts_with(kUtf8Mark)) {
            return TextForm{TextEncoding::Utf8WithMark, kUtf8Mark.size()};
        }
        at += *got;
        if (*got == 0 || detector.add(bytes)) {
            return TextForm{detector.encoding(), 0};
        }
    }
}

} // namespace qlx::csv
