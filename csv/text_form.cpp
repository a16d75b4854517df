// Telling a CSV file's form from its first bytes.
#include "csv/text_form.h"

#include <array>
#include <vector>

namespace qlx::csv {

namespace {

constexpr std::size_t kReadSize = std::size_t{1} << 20;

struct Mark {
    std::string_view bytes;
    TextEncoding encoding;
};
constexpr std::array<Mark, 3> kMarks = {{{"\xEF\xBB\xBF", TextEncoding::Utf8WithMark},
                                         {"\xFF\xFE", TextEncoding::Utf16Le},
                                         {"\xFE\xFF", TextEncoding::Utf16Be}}};

platform::Result<TextEncoding> readEncoding(const platform::File& file, TextForm& form) {
    std::vector<char> buffer(kReadSize);
    EncodingDetector detector;
    for (std::uint64_t at = 0;;) {
        const auto got = file.readAt(at, buffer);
        if (!got) {
            return platform::unexpected(got.error());
        }
        const std::string_view bytes(buffer.data(), *got);
        for (const Mark& mark : kMarks) {
            if (at == 0 && bytes.starts_with(mark.bytes)) {
                form.start = mark.bytes.size();
                return mark.encoding;
            }
        }
        at += *got;
        if (*got == 0 || detector.add(bytes)) {
            form.alsoUtf8 = *got == 0 ? detector.alsoUtf8() : std::nullopt;
            return detector.encoding();
        }
    }
}

// The first separator on the first line, past a quoted field that begins it.
char separatorOf(std::string_view line) {
    std::size_t at = 0;
    if (line.starts_with('"')) {
        for (at = 1; at < line.size(); ++at) {
            if (line[at] == '"' && !(at + 1 < line.size() && line[at + 1] == '"')) {
                break; // its first quote that is not doubled
            }
            at += line[at] == '"' ? 1u : 0u;
        }
    }
    const std::size_t found = line.find_first_of(",;\t\n", at);
    return found == line.npos || line[found] == '\n' ? ',' : line[found];
}

} // namespace

platform::Result<TextForm> readTextForm(const platform::File& file) {
    TextForm form;
    const auto encoding = readEncoding(file, form);
    if (!encoding) {
        return platform::unexpected(encoding.error());
    }
    form.encoding = *encoding;
    // The first line, or enough of it to find its separator.
    std::string line(1 << 16, '\0');
    const auto got = TextReader(file, form).read(line);
    if (!got) {
        return platform::unexpected(got.error());
    }
    line.resize(*got);
    form.separator = separatorOf(line);
    return form;
}

} // namespace qlx::csv
