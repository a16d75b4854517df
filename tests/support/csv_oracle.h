// The rows and fields of CSV text as the quote rule defines them, written out once more a
// character at a time, as a reader that holds the whole file would find them: the oracle for the
// tokenizer and for the reader that uses it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qlx::test {

struct OracleField {
    std::string text; // doubled quotes made single
    std::string raw;  // as it stands in the file, between its quotes if it is quoted
};

struct OracleRow {
    std::uint64_t line;
    std::vector<OracleField> fields;
};

// Where what follows a closing quote ends: after the blanks, which belong to no field.
inline std::size_t oracleAfterBlanks(std::string_view text, std::size_t quote, char separator) {
    std::size_t after = quote + 1;
    while (after < text.size() && text[after] != separator &&
           (text[after] == ' ' || text[after] == '\t')) {
        ++after;
    }
    return after;
}

// Where the quoted field that begins at `start` closes in `text`: the closing quote, the first
// that is not doubled, when blanks and then the separator, a line end (CRs and an LF, or CRs and
// the end of the text) or the end of the text follow it.
inline std::optional<std::size_t> oracleClosing(std::string_view text, std::size_t start,
                                                char separator) {
    for (std::size_t j = start + 1; j < text.size(); ++j) {
        if (text[j] != '"') {
            continue;
        }
        if (j + 1 < text.size() && text[j + 1] == '"') {
            ++j;
            continue;
        }
        std::string_view after = text.substr(oracleAfterBlanks(text, j, separator));
        if (!after.empty() && after[0] == separator) {
            return j;
        }
        while (after.starts_with('\r')) {
            after.remove_prefix(1);
        }
        if (after.empty() || after[0] == '\n') {
            return j;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

// The fields of one row's text.
inline std::vector<OracleField> oracleFields(std::string_view row, char separator) {
    std::vector<OracleField> fields;
    for (std::size_t f = 0; f < row.size();) {
        std::size_t end = 0;
        if (const auto closing = row[f] == '"' ? oracleClosing(row, f, separator) : std::nullopt) {
            OracleField field{{}, std::string(row.substr(f + 1, *closing - f - 1))};
            for (std::size_t k = 0; k < field.raw.size(); k += field.raw[k] == '"' ? 2u : 1u) {
                field.text += field.raw[k];
            }
            fields.push_back(field);
            end = oracleAfterBlanks(row, *closing, separator);
        } else {
            end = std::min(row.find(separator, f), row.size());
            fields.push_back(
                {std::string(row.substr(f, end - f)), std::string(row.substr(f, end - f))});
        }
        f = end + 1; // past the separator: one at the very end starts no field
    }
    return fields;
}

// The rows of a whole file.
inline std::vector<OracleRow> oracleRows(std::string_view text, char separator) {
    std::vector<OracleRow> rows;
    std::uint64_t line = 1;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t f = i;
        std::size_t end = text.size();
        std::size_t next = text.size();
        for (;;) {
            if (const auto closing = f < text.size() && text[f] == '"'
                                         ? oracleClosing(text, f, separator)
                                         : std::nullopt) {
                const std::size_t after = oracleAfterBlanks(text, *closing, separator);
                if (after < text.size() && text[after] == separator) {
                    f = after + 1;
                    continue;
                }
                end = after;
                next = std::min(text.find('\n', after), text.size() - 1) + 1;
                break;
            }
            std::size_t p = f;
            while (p < text.size() && text[p] != separator && text[p] != '\n') {
                ++p;
            }
            if (p < text.size() && text[p] == separator) {
                f = p + 1;
                continue;
            }
            end = p;
            next = std::min(p + 1, text.size());
            while (end > f && text[end - 1] == '\r') { // CRs before the line end belong to it
                --end;
            }
            break;
        }
        rows.push_back({line, oracleFields(text.substr(i, end - i), separator)});
        for (std::size_t k = i; k < next; ++k) {
            line += text[k] == '\n' ? 1u : 0u;
        }
        i = next;
    }
    return rows;
}

} // namespace qlx::test
