// Binary motion file to CSV: load, then format the rows one at a time straight into the output
// that replaces the target once it is complete.
#include "convert/conversion.h"
#include "convert/extension.h"
#include "convert/motion_layout.h"
#include "convert/pipeline_steps.h"
#include "csv/field_codec.h"
#include "motion/key_order.h"
#include "motion/motion_file.h"

#include <new>

namespace qlx::convert {

namespace {

// One count row, then one row per record in key order, each formatted in the one working row.
template <typename Record, typename Format>
void emitSection(const std::function<void(const csv::CsvRow&)>& emit, csv::CsvRow& row,
                 const io::LargeVector<Record>& records,
                 const io::LargeVector<std::uint32_t>& order, Format format) {
    row.clear();
    csv::appendUnsigned(row, static_cast<std::uint32_t>(records.size()));
    emit(row);
    // Records are read out of file order, so each is fetched a few rows ahead of its use.
    constexpr std::size_t kAhead = 8;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i + kAhead < order.size()) {
            const auto* ahead = reinterpret_cast<const char*>(&records[order[i + kAhead]]);
            __builtin_prefetch(ahead);
            __builtin_prefetch(ahead + sizeof(Record) - 1);
        }
        format(row, records[order[i]]);
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
    const motion::KeyOrder order = motion::keyOrder(document);
    emitSection(emit, row, document.bones, order.bones, formatBoneRow);
    emitSection(emit, row, document.morphs, order.morphs, formatMorphRow);
    emitSection(emit, row, document.cameras, order.cameras, formatCameraRow);
    emitSection(emit, row, document.lights, order.lights, formatLightRow);
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
