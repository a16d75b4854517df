// How a CSV file's text is written, told from its first bytes: its encoding (Shift-JIS, UTF-8,
// or UTF-16 where a byte-order mark says so), where its text begins and what separates its
// fields.
#pragma once

#include "csv/text_encoding.h"
#include "platform/files.h"

namespace qlx::csv {

// Reads the file from its start as far as its form is decided: a byte-order mark decides the
// encoding at once, a file without one is read until it shows that it is not UTF-8, or to its
// end. The separator is the one of comma, semicolon and tab that splits the first line as a
// header row (fields ending in a whole number); where not exactly one does, the first of them
// outside quotes on that line, and a comma where there is none.
platform::Result<TextForm> readTextForm(const platform::File& file);

} // namespace qlx::csv
