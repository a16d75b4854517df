// CSV to binary motion file: walk the file's rows by position, writing each record into the
// output as its row is read. The output replaces the target only once the walk has succeeded.
#include "convert/conversion.h"
#include "convert/extension.h"
#include "convert/motion_layout.h"
#include "convert/pipeline_steps.h"
#include "csv/field_codec.h"
#include "csv/number_parse.h"
#include "csv/text_encoding.h"
#include "io/pending_output.h"
#include "motion/motion_file.h"
#include "platform/files.h"

#include <array>
#include <new>
#include <vector>

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
            motion::writeRecords(*out, std::span<const Record>(&record, 1));
        }
    }
    return *count == 0 || rows.more();
}

// The row after the light keys, when it is a byte block and nothing more, holds the bytes that
// followed them in the motion file; any other row there is not read.
void takeTail(const csv::CsvRowView& row, io::OutputSink* out) {
    if (row.empty()) {
        return;
    }
    csv::CsvRowView rest = row;
    for (rest.popFront(); !rest.empty(); rest.popFront()) {
        if (!rest.front().empty()) {
            return;
        }
    }
    const auto digits = csv::blockDigits(row.front());
    std::array<std::uint8_t, 1 << 16> bytes;
    for (std::size_t done = 0; digits && out != nullptr && done < digits->size();) {
        const auto piece =
            std::span(bytes).first(std::min(bytes.size(), (digits->size() - done) / 2));
        csv::decodeHex(digits->substr(done), piece);
        out->write(std::as_bytes(piece));
        done += 2 * piece.size();
    }
}

Status walkRows(csv::RowReader& rows, io::OutputSink* out) {
    motion::MotionHeader header;
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
    if (rows.more()) {
        takeTail(rows.next(), out);
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

// Reads the file from its start until its encoding is decided, then goes back to its start.
std::optional<csv::TextEncoding> detectEncoding(platform::File& file) {
    csv::EncodingDetector detector;
    std::vector<char> buffer(std::size_t{1} << 20);
    for (bool decided = false; !decided;) {
        const auto got = file.read(buffer);
        if (!got) {
            return std::nullopt;
        }
        decided = *got == 0 || detector.add(std::span(buffer).first(*got));
    }
    return file.seek(0) ? std::optional(detector.encoding()) : std::nullopt;
}

Status importFile(const std::filesystem::path& path) {
    const auto output = outputPath(path, ".qlx");
    auto input = platform::openInput(path);
    const auto encoding = input ? detectEncoding(input->file) : std::nullopt;
    if (!output || !encoding) {
        return Status::OpenError;
    }
    const auto read = [&](std::span<char> bytes) { return input->file.read(bytes); };
    csv::ShiftJisFromUtf8 utf8(read);
    const bool converted = *encoding != csv::TextEncoding::ShiftJis;
    csv::RowReader rows(
        converted ? csv::RowReader::Source([&](std::span<char> bytes) { return utf8.read(bytes); })
                  : csv::RowReader::Source(read),
        input->size);
    // An output that cannot even be opened is reported only once the rows are known to make up
    // a motion, so an incomplete file says so first.
    io::PendingOutput motion(*output);
    const Status status = tableToMotion(rows, motion.isOpen() ? &motion.sink() : nullptr);
    // Marked UTF-8 that is no UTF-8, or holds a character the motion file cannot, anywhere in
    // the file, makes no motion.
    if (status != Status::OpenError && utf8.invalid()) {
        return Status::Incomplete;
    }
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
