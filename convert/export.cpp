// Binary motion file to CSV: load, lay the document out as rows, write the table in one go.
#include "convert/conversion.h"

#include "csv/field_codec.h"
#include "csv/motion_layout.h"
#include "motion/motion_file.h"

namespace qlx::convert {

namespace {

// One count row, then one row per record, each built in the working row and copied over.
template <typename Record, typename Format>
void emitSection(csv::CsvTable& table, csv::CsvRow& row, const std::vector<Record>& records,
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

int exportToCsv(const std::filesystem::path& path) {
    const auto output = outputPath(path, ".csv");
    if (!output) {
        return kStatusOpenError;
    }
    motion::MotionDocument document;
    if (!motion::load(document, path)) {
        return kStatusOpenError;
    }
    const auto modelName = document.modelName();
    if (!modelName) {
        return kStatusOpenError;
    }

    csv::CsvTable table;
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

    return csv::writeTable(*output, table) ? kStatusOk : kStatusWriteError;
}

} // namespace qlx::convert
