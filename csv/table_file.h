// A CSV table as a file: read whole, or written whole over an output.
#pragma once

#include "csv/table.h"

#include <filesystem>

namespace qlx::csv {

// Appends one row per line of the file. False when the file cannot be read; the table is then
// unchanged.
bool readTable(const std::filesystem::path& path, CsvTable& table);

// Writes one line per row, each ended by CR LF. False, with any existing file unchanged, when
// the file cannot be completely written.
bool writeTable(const std::filesystem::path& path, const CsvTable& table);

} // namespace qlx::csv
