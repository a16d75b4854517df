// CSV to binary motion file: read the table, walk its rows by position into a fresh document,
// save it. Nothing is written unless the walk succeeds.
#include "convert/conversion.h"
#include "convert/extension.h"
#include "convert/motion_layout.h"
#include "convert/pipeline_steps.h"
#include "csv/number_parse.h"
#include "csv/table_file.h"
#include "motion/motion_file.h"

#include <new>

namespace qlx::convert {

namespace {

// Walks the table's rows from the first; every step fails rather than read past the end.
class RowWalk {
public:
    explicit RowWalk(const csv::CsvTable& table) : table_(table), rows_(table.rowCount()) {}

    // The next row; the caller checks first that there is one.
    csv::CsvRowView nextRow() { return table_.rowAt(next_++); }

    // A count row: it must hold a number, and every record row it announces must be followed
    // by a further row, which is checked before anything is allocated for the records.
    bool takeCount(std::size_t& count) {
        if (next_ >= rows_) {
            return false;
        }
        const csv::CsvRowView row = nextRow();
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
            csv::CsvRowView row = nextRow();
            parse(row, record);
        }
        return true;
    }

private:
    const csv::CsvTable& table_;
    std::size_t rows_;
    std::size_t next_ = 0;
};

} // namespace

Status tableToMotion(const csv::CsvTable& table, motion::MotionDocument& document) {
    if (table.rowCount() < 3) {
        return Status::Incomplete;
    }
    RowWalk walk(table);
    csv::CsvRowView header = walk.nextRow();
    parseHeaderRow(header, document);
    // A line without fields is an empty model name, as the export writes one.
    const csv::CsvRowView modelName = walk.nextRow();
    document.setModelName(modelName.empty() ? std::string_view() : modelName.front());

    if (!walk.takeSection(document.bones, parseBoneRow) ||
        !walk.takeSection(document.morphs, parseMorphRow) ||
        !walk.takeSection(document.cameras, parseCameraRow) ||
        !walk.takeSection(document.lights, parseLightRow)) {
        return Status::Incomplete;
    }
    return Status::Ok;
}

namespace {

Status importFile(const std::filesystem::path& path) {
    const auto output = outputPath(path, ".qlx");
    if (!output) {
        return Status::OpenError;
    }
    csv::CsvTable table;
    if (!csv::readTable(path, table)) {
        return Status::OpenError;
    }
    motion::MotionDocument document;
    if (const Status status = tableToMotion(table, document); status != Status::Ok) {
        return status;
    }
    return motion::save(document, *output) ? Status::Ok : Status::WriteError;
}

} // namespace

// Exhausted memory unwinds to here: every file is still as it was, and the run ends cleanly.
Status importFromCsv(const std::filesystem::path& path) {
    try {
        return importFile(path);
    } catch (const std::bad_alloc&) {
        return Status::OutOfMemory;
    }
}

} // namespace qlx::convert
