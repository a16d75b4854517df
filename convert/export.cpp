// Binary motion file to CSV: load, lay the document out as rows, write the table in one go.
#include "convert/conversion.h"
#include "convert/extension.h"
#include "convert/motion_layout.h"
#include "convert/pipeline_steps.h"
#include "csv/field_codec.h"
#include "csv/table_file.h"
#include "motion/motion_file.h"

#include <new>

namespace qlx::convert {

namespace {

// One count row, then one row per record, each built in the working row and copied over.
template <typename Record, typename Format>
void emitSection(csv::CsvTable& table, csv::CsvRow& row, const io::LargeVector<Record>& records,
                 Format format) {
    row.clear();
    csv::appendUnsigned(row, static_cast<std::uint32_t>(records.size()));
    table.appendRow(row);
    for (const auto& record : records) {
        format(row, record);
        table.appendRow(row);
    }
}

} // namespace

bool motionToTable(const motion::MotionDocument& document, csv::CsvTable& table) {
    const auto modelName = document.modelName();
    if (!modelName) {
        return false;
    }
    // The table's whole shape is known: reserve it so building it never moves it. The byte
    // counts are upper bounds (a float takes at most 12 characters); unused room costs no memory.
    const std::size_t bones = document.bones.size();
    const std::size_t morphs = document.morphs.size();
    const std::size_t cameras = document.cameras.size();
    const std::size_t lights = document.lights.size();
    table.reserve(128 + 256 * bones + 48 * morphs + 176 * cameras + 96 * lights,
                  6 + bones + morphs + cameras + lights,
                  7 + 9 * bones + 3 * morphs + 9 * cameras + 7 * lights);
    csv::CsvRow row;
    formatHeaderRow(row, document);
    table.appendRow(row);
    row.clear();
    row.append(*modelName);
    table.appendRow(row);
    emitSection(table, row, document.bones, formatBoneRow);
    emitSection(table, row, document.morphs, formatMorphRow);
    emitSection(table, row, document.cameras, formatCameraRow);
    emitSection(table, row, document.lights, formatLightRow);
    return true;
}

namespace {

Status exportFile(const std::filesystem::path& path) {
    const auto output = outputPath(path, ".csv");
    if (!output) {
        return Status::OpenError;
    }
    motion::MotionDocument document;
    csv::CsvTable table;
    if (!motion::load(document, path) || !motionToTable(document, table)) {
        return Status::OpenError;
    }
    return csv::writeTable(*output, table) ? Status::Ok : Status::WriteError;
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
