// The one rule that closes a quoted field, for the reader that finds where rows end and for the
// view that splits a row into fields: a field that begins with a double quote is quoted when its
// first quote that is not doubled is followed by a comma, a line end (LF, or CR LF) or the end of
// the text. Its text is what stands between the quotes, doubled quotes made single. A field that
// begins with a quote but is not closed so is plain text, its quote and all.
#pragma once

#include <cstddef>
#include <string_view>

namespace qlx::csv {

struct QuotedField {
    enum class Outcome { Closed, Plain, Unknown };
    Outcome outcome;
    // Closed: the closing quote. Unknown: where to look again once the text goes on; every quote
    // before it is doubled.
    std::size_t at;
    bool doubled; // Closed: the text between holds a doubled quote
};

// Looks for the closing quote from `from`: just after the opening quote, or where an Unknown
// outcome said to look again. `whole` says that nothing follows the text; otherwise an outcome
// that the following bytes could change is Unknown.
inline QuotedField closeQuoted(std::string_view text, std::size_t from, bool whole) {
    using Outcome = QuotedField::Outcome;
    const std::size_t n = text.size();
    bool doubled = false;
    for (std::size_t i = from;;) {
        const std::size_t quote = text.find('"', i);
        if (quote == text.npos) {
            return {whole ? Outcome::Plain : Outcome::Unknown, n, doubled};
        }
        const std::size_t after = quote + 1;
        if (after == n) {
            return {whole ? Outcome::Closed : Outcome::Unknown, quote, doubled};
        }
        if (text[after] == '"') {
            doubled = true;
            i = after + 1;
            continue;
        }
        if (text[after] == ',' || text[after] == '\n') {
            return {Outcome::Closed, quote, doubled};
        }
        if (text[after] == '\r' && after + 1 == n) {
            return {whole ? Outcome::Plain : Outcome::Unknown, quote, doubled};
        }
        const bool crLf = text[after] == '\r' && text[after + 1] == '\n';
        return {crLf ? Outcome::Closed : Outcome::Plain, quote, doubled};
    }
}

} // namespace qlx::csv
