// The quote rule, and the end of a plain field.
#include "csv/tokenizer.h"

namespace qlx::csv {

namespace {

using Kind = FieldEnd::Kind;

} // namespace

std::size_t crsBefore(std::string_view text, std::size_t from, std::size_t end) {
    while (end > from && text[end - 1] == '\r') {
        --end;
    }
    return end;
}

FieldEnd plainEnd(std::string_view text, std::size_t from, char separator, bool whole) {
    const std::size_t n = text.size();
    const std::size_t stop = find(text, separator, from, n);
    const std::size_t lf = find(text, '\n', from, stop);
    if (lf < stop) {
        return {Kind::LineEnd, crsBefore(text, from, lf)};
    }
    if (stop < n) {
        return {Kind::Separator, stop};
    }
    // CRs at the end may begin a line end, and end the file's last line.
    const std::size_t crs = crsBefore(text, from, n);
    return {!whole ? Kind::More : crs < n ? Kind::LineEnd : Kind::Text, crs};
}

FieldEnd quotedEnd(std::string_view text, std::size_t from, char separator, bool whole) {
    const std::size_t n = text.size();
    bool doubled = false;
    for (std::size_t i = from;;) {
        const std::size_t quote = find(text, '"', i, n);
        if (quote == n) {
            return whole ? FieldEnd{Kind::Plain, n} : FieldEnd{Kind::More, n, false, true};
        }
        if (quote + 1 < n && text[quote + 1] == '"') {
            doubled = true;
            i = quote + 2;
            continue;
        }
        // Blanks after the closing quote belong to nothing; CRs may begin a line end.
        std::size_t after = quote + 1;
        while (after < n && (text[after] == ' ' || text[after] == '\t') &&
               text[after] != separator) {
            ++after;
        }
        std::size_t crs = after;
        while (crs < n && text[crs] == '\r') {
            ++crs;
        }
        const auto closed = [&](Kind kind) {
            return FieldEnd{kind, after, true, false, doubled, quote};
        };
        if (crs == n) {
            return whole ? closed(after < n ? Kind::LineEnd : Kind::Text)
                         : FieldEnd{Kind::More, quote, false, true};
        }
        if (crs == after && text[after] == separator) {
            return closed(Kind::Separator);
        }
        if (text[crs] == '\n') {
            return closed(Kind::LineEnd);
        }
        return {Kind::Plain, quote};
    }
}
FieldEnd fieldEnd(std::string_view text, std::size_t start, char separator, bool whole) {
    const FieldEnd end = start < text.size() && text[start] == '"'
                             ? quotedEnd(text, start + 1, separator, whole)
                             : FieldEnd{Kind::Plain, start};
    return end.kind != Kind::Plain ? end : plainEnd(text, start, separator, whole);
}

} // namespace qlx::csv
