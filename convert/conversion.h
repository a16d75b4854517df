// The two conversions the driver runs: binary motion file to CSV and back. Each takes the
// input path, writes its output beside it under the other extension, and returns a status.
#pragma once

#include "csv/table.h"
#include "motion/document.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace qlx::convert {

inline constexpr int kStatusOk = 0;
inline constexpr int kStatusOpenError = -1;  // the input cannot be read or is refused
inline constexpr int kStatusIncomplete = -2; // the CSV rows do not make up a whole motion
inline constexpr int kStatusWriteError = -3; // the output cannot be written

// "take.qlx" to "take.csv": 0, -1 or -3.
int exportToCsv(const std::filesystem::path& path);
// "take.csv" to "take.qlx": 0, -1, -2 or -3.
int importFromCsv(const std::filesystem::path& path);

// The rows of a loaded document, in file order; false when its version is unrecognised.
bool motionToTable(const motion::MotionDocument& document, csv::CsvTable& table);
// Walks the rows into a fresh document: 0, or -2 when they do not make up a whole motion.
int tableToMotion(const csv::CsvTable& table, motion::MotionDocument& document);

// The path with the four characters from its last "." (or as many as there are) replaced by
// `extension`; nothing when the path holds no ".".
std::optional<std::filesystem::path> outputPath(const std::filesystem::path& input,
                                                std::string_view extension);

} // namespace qlx::convert
