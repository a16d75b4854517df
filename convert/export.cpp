// Binary motion file to CSV: load, lay the document out as rows, write the table in one go.
#include "convert/conversion.h"

#include "csv/field_codec.h"
#include "csv/motion_layout.h"
#include "motion/motion_file.h"

namespace qlx::convert {

namespace {

// One count row, then one row per record, each built in the working row and copied over.
template <typename Record, typename Format>
void emitSection(csv::CsvTable& table, csv::CsvRow& row, const io::LargeVector<Record>& records,
                 Format format) {
    csv::clearRow(row);
    csv::appendUnsigned(row, static_cast<std::uint32_t>(records.size()));
    csv::appendRow(table, row);
    for (const auto& record : records) {
        format(row, record);
        csv::appendRow(table, row);
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
    csv::formatHeaderRow(row, document);
    csv::appendRow(table, row);
    csv::clearRow(row);
    row.append(*modelName);
    csv::appendRow(table, row);
    emitSection(table, row, document.bones, csv::formatBoneRow);
    emitSection(table, row, document.morphs, csv::formatMorphRow);
    emitSection(table, row, document.cameras, csv::formatCameraRow);
    emitSection(table, row, document.lights, csv::formatLightRow);
    return true;
}

int exportToCsv(const std::filesystem::path& path) {
    const auto output = outputPath(path, ".csv");
    if (!output) {
        return kStatusOpenError;
    }
    motion::MotionDocument document;
    csv::CsvTable table;
    if (!motion::load(document, path) || !motionToTable(document, table)) {
        return kStatusOpenError;
    }
    return csv::writeTable(*output, table) ? kStatusOk : kStatusWriteError;
}

} // namespace qlx::convert
