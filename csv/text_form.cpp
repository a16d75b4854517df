// Telling a CSV file's form from its first bytes, and its encoding where its text first leaves
// ASCII.
#include "csv/text_form.h"

#include "csv/number_parse.h"
#include "csv/tokenizer.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace qlx::csv {

namespace {

constexpr std::size_t kReadSize = std::size_t{1} << 20;

struct Mark {
    std::string_view bytes;
    TextEncoding encoding;
};
constexpr std::array<Mark, 3> kMarks = {{{"\xEF\xBB\xBF", TextEncoding::Utf8},
                                         {"\xFF\xFE", TextEncoding::Utf16Le},
                                         {"\xFE\xFF", TextEncoding::Utf16Be}}};

// The separator that ends the first line's first field soonest, a quoted field that closes before
// it counting first, or a comma where none ends it.
char firstSeparator(std::string_view line) {
    char first = ',';
    FieldEnd soonest{FieldEnd::Kind::Text, line.size()};
    for (const char separator : {',', ';', '\t'}) {
        const FieldEnd end = fieldEnd(line, 0, separator, true);
        if (end.kind == FieldEnd::Kind::Separator &&
            std::pair(!end.quoted, end.at) < std::pair(!soonest.quoted, soonest.at)) {
            first = separator;
            soonest = end;
        }
    }
    return first;
}

// Whether the first line, split at `separator` outside quotes and rid of the empty fields that a
// spreadsheet pads it with, is two fields or more of which the last is a whole number, as the
// header row is.
bool splitsAsHeader(std::string_view text, char separator) {
    std::size_t fields = 0;
    std::string_view last;
    for (std::size_t start = 0, n = 1;; ++n) {
        const FieldEnd end = fieldEnd(text, start, separator, true);
        const std::string_view field = end.quoted ? text.substr(start + 1, end.closing - start - 1)
                                                  : text.substr(start, end.at - start);
        if (!field.empty()) {
            fields = n;
            last = field;
        }
        if (end.kind != FieldEnd::Kind::Separator) {
            break;
        }
        start = end.at + 1;
    }
    return fields >= 2 && wholeNumber(last);
}

// The one candidate that splits the first line as a header row, or else the first separator on it:
// so a signature holding another candidate cannot decide.
char separatorOf(std::string_view line) {
    char chosen = 0;
    int candidates = 0;
    for (const char separator : {',', ';', '\t'}) {
        if (splitsAsHeader(line, separator)) {
            chosen = separator;
            ++candidates;
        }
    }
    return candidates == 1 ? chosen : firstSeparator(line);
}

} // namespace

platform::Result<TextForm> readTextForm(const platform::File& file) {
    TextForm form;
    std::array<char, 3> first{};
    const auto got = file.readAt(0, first);
    if (!got) {
        return platform::unexpected(got.error());
    }
    const std::string_view start(first.data(), *got);
    const auto mark = std::ranges::find_if(
        kMarks, [&](const Mark& candidate) { return start.starts_with(candidate.bytes); });
    form.decided = mark != kMarks.end();
    if (form.decided) {
        form.encoding = mark->encoding;
        form.start = mark->bytes.size();
    }
    // The first line, or enough of it to find its separator.
    std::string line(1 << 16, '\0');
    const auto read = TextReader(file, form).read(line);
    if (!read) {
        return platform::unexpected(read.error());
    }
    line.resize(*read);
    form.separator = separatorOf(line);
    return form;
}

platform::Result<void> decideEncoding(const platform::File& file, std::uint64_t from,
                                      std::uint64_t line, TextForm& form) {
    std::vector<char> buffer(kReadSize);
    EncodingDetector detector(form.separator);
    for (std::uint64_t at = from;;) {
        const auto got = file.readAt(at, buffer);
        if (!got) {
            return platform::unexpected(got.error());
        }
        at += *got;
        if (*got == 0 || detector.add({buffer.data(), *got})) {
            form.encoding = detector.encoding();
            form.alsoUtf8 = *got == 0 ? detector.alsoUtf8() : std::nullopt;
            if (form.alsoUtf8) {
                form.alsoUtf8->line += line - 1;
            }
            form.decided = true;
            return {};
        }
    }
}

} // namespace qlx::csv
