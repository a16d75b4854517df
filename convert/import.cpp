// CSV to binary motion file: walk the file's rows by position, writing each record into the
// output as its row is read. The output replaces the target only once the walk has succeeded.
#include "convert/conversion.h"
#include "convert/extension.h"
#include "convert/motion_layout.h"
#include "convert/pipeline_steps.h"
#include "csv/number_parse.h"
#include "io/pending_output.h"
#include "motion/motion_file.h"
#include "platform/files.h"

#include <new>

namespace qlx::convert {

namespace {

// A count row, then as many record rows. The count row must hold a number, and every record row
// it announces must be followed by a further row; nothing is allocated for the records, so a
// count larger than the file can hold costs nothing before it fails.
template <typename Record, typename Parse>
bool takeSection(csv::RowReader& rows, io::OutputSink* out, Parse parse) {
    if (!rows.more()) {
        return false;
    }
    const csv::CsvRowView countRow = rows.next();
    const auto count = countRow.empty() ? std::nullopt : csv::parseUnsigned(countRow.front());
    if (!count) {
        return false;
    }
    if (out != nullptr) {
        motion::writeCount(*out, *count);
    }
    for (std::uint32_t i = 0; i < *count; ++i) {
        if (!rows.more()) {
            return false;
        }
        csv::CsvRowView row = rows.next();
        Record record{};
        parse(row, record);
        if (out != nullptr) {
            motion::writeRecord(*out, record);
        }
    }
    return *count == 0 || rows.more();
}

Status walkRows(csv::RowReader& rows, io::OutputSink* out) {
    motion::MotionDocument header; // its tables stay empty: the records go straight out
    csv::CsvRowView headerRow = rows.next();
    parseHeaderRow(headerRow, header);
    if (!rows.more()) {
        return Status::Incomplete;
    }
    // A line without fields is an empty model name, as the export writes one.
    const csv::CsvRowView modelName = rows.next();
    header.setModelName(modelName.empty() ? std::string_view() : modelName.front());
    const bool recognised = header.version() != motion::MotionVersion::Unrecognised;
    out = recognised ? out : nullptr;
    if (out != nullptr) {
        motion::writeHeader(*out, header);
    }
    if (!takeSection<motion::BoneKey>(rows, out, parseBoneRow) ||
        !takeSection<motion::MorphKey>(rows, out, parseMorphRow) ||
        !takeSection<motion::CameraKey>(rows, out, parseCameraRow) ||
        !takeSection<motion::LightKey>(rows, out, parseLightRow)) {
        return Status::Incomplete;
    }
    return recognised ? Status::Ok : Status::WriteError;
}

} // namespace

Status tableToMotion(csv::RowReader& rows, io::OutputSink* out) {
    const Status status = walkRows(rows, out);
    rows.skipRest();
    return rows.failed() ? Status::OpenError : status;
}

namespace {

Status importFile(const std::filesystem::path& path) {
    const auto output = outputPath(path, ".qlx");
    auto input = platform::openInput(path);
    if (!output || !input) {
        return Status::OpenError;
    }
    csv::RowReader rows([&](std::span<char> bytes) { return input->file.read(bytes); },
                        input->size);
    // An output that cannot even be opened is reported only once the rows are known to make up
    // a motion, so an incomplete file says so first.
    io::PendingOutput motion(*output);
    const Status status = tableToMotion(rows, motion.isOpen() ? &motion.sink() : nullptr);
    if (status != Status::Ok) {
        return status;
    }
    return motion.commit() ? Status::Ok : Status::WriteError;
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
