// CSV to binary motion file: read the table, walk its rows by position into a fresh document,
// save it. Nothing is written unless the walk succeeds.
#include "convert/conversion.h"

#include "csv/motion_layout.h"
#include "csv/number_text.h"
#include "motion/motion_file.h"

namespace qlx::convert {

namespace {

// Walks the table's rows from a position; every step fails rather than read past the end.
class RowWalk {
public:
    explicit RowWalk(const csv::CsvTable& table) : table_(table), rows_(csv::rowCount(table)) {}

    // A count row: it must hold a number, and every record row it announces must be followed
    // by a further row, which is checked before anything is allocated for the records.
    bool takeCount(std::size_t& count) {
        if (next_ >= rows_) {
            return false;
        }
        const csv::CsvRowView row = csv::rowAt(table_, next_++);
        const auto value = row.empty() ? std::nullopt : csv::parseUnsigned(row.front());
        if (!value) {
            return false;
        }
        count = *value;
        return count == 0 || (next_ < rows_ && count <= rows_ - next_ - 1);
    }

    template <typename Record, typename Parse>
    bool takeSection(io::LargeVector<Record>& records, Parse parse) {
        std::size_t count = 0;
        if (!takeCount(count)) {
            return false;
        }
        records.resize(count);
        for (auto& record : records) {
            csv::CsvRowView row = csv::rowAt(table_, next_++);
            parse(row, record);
        }
        return true;
    }

    csv::CsvRowView take() { return csv::rowAt(table_, next_++); }

private:
    const csv::CsvTable& table_;
    std::size_t rows_;
    std::size_t next_ = 0;
};

} // namespace

int tableToMotion(const csv::CsvTable& table, motion::MotionDocument& document) {
    if (csv::rowCount(table) < 3) {
        return kStatusIncomplete;
    }
    RowWalk walk(table);
    csv::CsvRowView header = walk.take();
    csv::parseHeaderRow(header, document);
    // A line without fields is an empty model name, as the export writes one.
    const csv::CsvRowView modelName = walk.take();
    document.setModelName(modelName.empty() ? std::string_view() : modelName.front());

    if (!walk.takeSection(document.bones, csv::parseBoneRow) ||
        !walk.takeSection(document.morphs, csv::parseMorphRow) ||
        !walk.takeSection(document.cameras, csv::parseCameraRow) ||
        !walk.takeSection(document.lights, csv::parseLightRow)) {
        return kStatusIncomplete;
    }
    return kStatusOk;
}

int importFromCsv(const std::filesystem::path& path) {
    const auto output = outputPath(path, ".qlx");
    if (!output) {
        return kStatusOpenError;
    }
    csv::CsvTable table;
    if (!csv::readTable(path, table)) {
        return kStatusOpenError;
    }
    motion::MotionDocument document;
    if (const int status = tableToMotion(table, document); status != kStatusOk) {
        return status;
    }
    return motion::save(document, *output) ? kStatusOk : kStatusWriteError;
}

} // namespace qlx::convert
