// How a CSV file's text is written, told from its first bytes: whether it is UTF-8 or Shift-JIS,
// and where its text begins.
#pragma once

#include "csv/text_encoding.h"
#include "platform/files.h"

namespace qlx::csv {

// Reads the file from its start as far as its form is decided: a byte-order mark decides it at
// once, a file without one is read until it shows that it is not UTF-8, or to its end.
platform::Result<TextForm> readTextForm(platform::File& file);

} // namespace qlx::csv
