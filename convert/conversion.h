// The two conversions the program runs: binary motion file to CSV and back. Each takes the
// input path, writes its output beside it under the other extension, and returns its status.
#pragma once

#include "convert/report.h"

#include <filesystem>

namespace qlx::convert {

// "take.qlx" to "take.csv": Ok, OpenError, WriteError or OutOfMemory.
Report exportToCsv(const std::filesystem::path& path);
// "take.csv" to "take.qlx": Ok, OpenError, RowsNotAMotion, WriteError or OutOfMemory.
Report importFromCsv(const std::filesystem::path& path);

} // namespace qlx::convert
