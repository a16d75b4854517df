// The steps of the two conversions that need no files, for the tests and fuzz targets.
#pragma once

#include "convert/status.h"
#include "csv/table.h"
#include "motion/document.h"

namespace qlx::convert {

// The rows of a loaded document, in file order; false when its version is unrecognised.
bool motionToTable(const motion::MotionDocument& document, csv::CsvTable& table);
// Walks the rows into a fresh document: Ok, or Incomplete when they do not make up a motion.
Status tableToMotion(const csv::CsvTable& table, motion::MotionDocument& document);

} // namespace qlx::convert
