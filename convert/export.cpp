// Binary motion file to CSV: load, then format the rows one at a time straight into the output
// that replaces the target once it is complete.
#include "convert/conversion.h"
#include "convert/extension.h"
#include "convert/motion_layout.h"
#include "convert/pipeline_steps.h"
#include "csv/field_codec.h"
#include "motion/motion_file.h"

#include <new>

namespace qlx::convert {

namespace {

// One count row, then one row per record, each formatted in the one working row.
template <typename Record, typename Format>
void emitSection(const std::function<void(const csv::CsvRow&)>& emit, csv::CsvRow& row,
                 const io::LargeVector<Record>& records, Format format) {
    row.clear();
    csv::appendUnsigned(row, static_cast<std::uint32_t>(records.size()));
    emit(row);
    for (const auto& record : records) {
        format(row, record);
        emit(row);
    }
}

} // namespace

bool motionToTable(const motion::MotionDocument& document,
                   const std::function<void(const csv::CsvRow&)>& emit) {
    const auto modelName = document.modelName();
    if (!modelName) {
        return false;
    }
    csv::CsvRow row;
    formatHeaderRow(row, document);
    emit(row);
    row.clear();
    row.append(*modelName);
    emit(row);
    emitSection(emit, row, document.bones, formatBoneRow);
    emitSection(emit, row, document.morphs, formatMorphRow);
    emitSection(emit, row, document.cameras, formatCameraRow);
    emitSection(emit, row, document.lights, formatLightRow);
    return true;
}

namespace {

Status exportFile(const std::filesystem::path& path) {
    const auto output = outputPath(path, ".csv");
    if (!output) {
        return Status::OpenError;
    }
    motion::MotionDocument document;
    if (!motion::load(document, path) || !document.modelName()) {
        return Status::OpenError;
    }
    const bool written = io::replaceFile(*output, [&](io::OutputSink& sink) {
        return motionToTable(document, [&](const csv::CsvRow& row) { csv::writeRow(sink, row); });
    });
    return written ? Status::Ok : Status::WriteError;
}

} // namespace

// Exhausted memory unwinds to here: every file is still as it was, and the run ends cleanly.
Status exportToCsv(const std::filesystem::path& path) {
    try {
        return exportFile(path);
    } catch (const std::bad_alloc&) {
        return Status::OutOfMemory;
    }
}

} // namespace qlx::convert
