// How a CSV file's text is written, told from its first bytes: its encoding (Shift-JIS, UTF-8,
// or UTF-16 where a byte-order mark says so), where its text begins and what separates its
// fields.
#pragma once

#include "csv/text_encoding.h"
#include "platform/files.h"

namespace qlx::csv {

// Reads the file's first line: a byte-order mark decides the encoding at once; a file without one
// is left undecided, for `decideEncoding`. The separator is the one of comma, semicolon and tab
// that splits the first line as a header row (fields ending in a whole number); where not exactly
// one does, the first of them outside quotes on that line, and a comma where there is none.
platform::Result<TextForm> readTextForm(const platform::File& file);

// Decides the encoding of a file without a mark from its bytes after `from`, the start of the
// row on `line` that first holds a byte outside ASCII (all before it reads the same either way):
// read until they show that they are not UTF-8, or to the end.
platform::Result<void> decideEncoding(const platform::File& file, std::uint64_t from,
                                      std::uint64_t line, TextForm& form);

} // namespace qlx::csv
