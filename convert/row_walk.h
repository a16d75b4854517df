// The walk of a CSV motion file's rows into the parts of a motion file.
#pragma once

#include "convert/report.h"
#include "csv/row_reader.h"
#include "io/output_sink.h"

namespace qlx::convert {

// Walks the rows from the first into the parts of a motion file, written to `out` as the walk
// goes: Ok; RowsNotAMotion when the rows do not make up a motion, or one is no text; WriteError
// when they do but name an unrecognised version; OpenError when the file cannot be read.
Report walkRows(csv::RowReader& rows, io::OutputSink& out);

} // namespace qlx::convert
