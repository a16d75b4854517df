// CSV to binary motion file: walk the file's rows by position, parse the record rows in chunks
// on worker threads and write the records in order into the output, which replaces the target
// only once the walk has succeeded.
#include "convert/conversion.h"
#include "convert/extension.h"
#include "convert/motion_layout.h"
#include "convert/pipeline_steps.h"
#include "csv/field_codec.h"
#include "csv/number_parse.h"
#include "csv/streamed_row.h"
#include "csv/text_encoding.h"
#include "io/ordered_writer.h"
#include "io/pending_output.h"
#include "motion/motion_file.h"
#include "platform/files.h"

#include <array>
#include <cstring>
#include <functional>
#include <new>
#include <optional>
#include <vector>

namespace qlx::convert {

namespace {

// Record rows go to the worker threads this many at a time: small chunks keep little memory in
// flight, and the workers live as long as the walk, so a chunk costs no thread.
constexpr std::size_t kRowsPerChunk = 256;

// Record rows on their way to a worker thread: their texts, one after another.
class Lines {
public:
    explicit Lines(std::size_t rows) { rows_.reserve(rows); }
    void add(const csv::RowReader::Line& line) {
        if (rows_.empty()) {
            // Room for rows like the first, with some to spare, but no more than a chunk of bone
            // rows needs, and less for a short section.
            text_.reserve(std::min(rows_.capacity() * (line.text.size() + line.text.size() / 4),
                                   kRowsPerChunk * 256));
        }
        text_ += line.text;
        rows_.push_back({text_.size(), line.holdsQuote});
    }
    std::size_t size() const { return rows_.size(); }
    csv::CsvRowView view(std::size_t k) const {
        const std::size_t begin = k == 0 ? 0 : rows_[k - 1].end;
        return csv::CsvRowView(std::string_view(text_.data() + begin, rows_[k].end - begin),
                               rows_[k].holdsQuote);
    }

private:
    struct Row {
        std::size_t end;
        bool holdsQuote;
    };
    std::string text_;
    std::vector<Row> rows_;
};

// The records of the rows, as the motion file holds them, into `bytes`, which holds as many.
template <typename Record, typename Parse>
std::string parseLines(const Lines& lines, std::string bytes, Parse parse) {
    for (std::size_t k = 0; k < lines.size(); ++k) {
        csv::CsvRowView row = lines.view(k);
        Record record{};
        parse(row, record);
        std::memcpy(bytes.data() + k * sizeof(Record), &record, sizeof(Record));
    }
    return bytes;
}

// A job that gives what `write` writes to a sink, written now, as one piece.
template <typename Write> auto piece(Write write) {
    std::string bytes;
    io::OutputSink sink(
        [&](std::string_view more) {
            bytes += more;
            return true;
        },
        0);
    write(sink);
    sink.finish();
    return [bytes = std::move(bytes)]() mutable { return std::move(bytes); };
}

// A count row, then as many record rows. The count row must hold a number, and every record row
// it announces must be followed by a further row. This thread walks the rows; the records are
// parsed on worker threads, a chunk at a time, and written in order, when there is an output.
// Nothing is allocated for the records ahead of their rows, so a count larger than the file can
// hold costs nothing before it fails.
template <typename Record, typename Parse>
bool takeSection(csv::RowReader& rows, io::OrderedWriter* out, Parse parse) {
    if (!rows.more()) {
        return false;
    }
    const csv::CsvRowView countRow = rows.next();
    const auto count = countRow.empty() ? std::nullopt : csv::parseUnsigned(countRow.front());
    if (!count) {
        return false;
    }
    if (out != nullptr) {
        out->add(piece([&](io::OutputSink& sink) { motion::writeCount(sink, *count); }), false);
    }
    const bool onWorkers = *count > kRowsPerChunk;
    Lines lines(std::min<std::size_t>(*count, kRowsPerChunk));
    for (std::uint32_t i = 0; i < *count; ++i) {
        if (!rows.more()) {
            return false;
        }
        const csv::RowReader::Line line = rows.nextLine();
        if (out == nullptr) {
            continue;
        }
        lines.add(line);
        if (lines.size() == kRowsPerChunk || i + 1 == *count) {
            // Memory is taken and given back on this thread, so that worker threads leave none
            // of it behind in heaps of their own.
            std::string bytes(lines.size() * sizeof(Record), '\0');
            out->add(
                [chunk = std::move(lines), bytes = std::move(bytes), parse]() mutable {
                    return parseLines<Record>(chunk, std::move(bytes), parse);
                },
                onWorkers);
            lines = Lines(std::min<std::size_t>(*count - i - 1, kRowsPerChunk));
        }
    }
    return *count == 0 || rows.more();
}

// The row after the light keys, when it is a byte block and empty fields alone, holds the bytes
// that followed them in the motion file. It is read twice, once to learn that it is such a block
// and once to write its bytes, so that a block of any size passes through little memory; any
// other row there is not read.
void takeTail(csv::RowReader& rows, io::OutputSink* out) {
    const csv::RowReader::Mark start = rows.mark();
    csv::ByteBlockRow check;
    rows.streamLine([&](std::string_view piece) { check.add(piece); });
    if (!check.isBlock() || out == nullptr) {
        return;
    }
    rows.rewind(start);
    csv::ByteBlockRow block(
        [out](std::span<const std::uint8_t> bytes) { out->write(std::as_bytes(bytes)); });
    rows.streamLine([&](std::string_view piece) { block.add(piece); });
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
    std::optional<io::OrderedWriter> pieces;
    if (out != nullptr) {
        pieces.emplace([out](std::string_view bytes) { out->write(bytes); });
        pieces->add(piece([&](io::OutputSink& sink) { motion::writeHeader(sink, header); }), false);
    }
    io::OrderedWriter* records = pieces ? &*pieces : nullptr;
    if (!takeSection<motion::BoneKey>(rows, records, parseBoneRow) ||
        !takeSection<motion::MorphKey>(rows, records, parseMorphRow) ||
        !takeSection<motion::CameraKey>(rows, records, parseCameraRow) ||
        !takeSection<motion::LightKey>(rows, records, parseLightRow)) {
        return Status::Incomplete;
    }
    if (pieces) {
        pieces->finish();
    }
    if (rows.more()) {
        takeTail(rows, out);
    }
    return recognised ? Status::Ok : Status::WriteError;
}

} // namespace

std::optional<csv::EncodingDetector> detectEncoding(platform::File& file) {
    csv::EncodingDetector detector;
    std::vector<char> buffer(std::size_t{1} << 20);
    std::uint64_t at = 0;
    for (bool decided = false; !decided;) {
        const auto got = file.readAt(at, buffer);
        if (!got) {
            return std::nullopt;
        }
        at += *got;
        decided = *got == 0 || detector.add(std::span(buffer).first(*got));
    }
    return detector;
}

Status importOpened(platform::InputFile& input, const csv::EncodingDetector& encoding,
                    const std::filesystem::path& output) {
    const csv::TextEncoding text = encoding.encoding();
    // Marked UTF-8 that is no UTF-8, or holds a character the motion file cannot, anywhere in
    // the file, makes no motion.
    if (text == csv::TextEncoding::Utf8WithMark && encoding.fault()) {
        return Status::Incomplete;
    }
    const std::uint64_t mark = text == csv::TextEncoding::Utf8WithMark ? 3 : 0;
    csv::RowReader rows(
        [&input](std::uint64_t offset, std::span<char> bytes) {
            return input.file.readAt(offset, bytes);
        },
        input.size, mark, text != csv::TextEncoding::ShiftJis);
    // An output that cannot even be opened is reported only once the rows are known to make up
    // a motion, so an incomplete file says so first.
    io::PendingOutput motion(output);
    const Status status = tableToMotion(rows, motion.isOpen() ? &motion.sink() : nullptr);
    // A file written while it was read gave rows that cannot be trusted.
    if (!input.unchanged()) {
        return Status::OpenError;
    }
    if (status != Status::Ok) {
        return status;
    }
    return motion.commit() ? Status::Ok : Status::WriteError;
}

Status tableToMotion(csv::RowReader& rows, io::OutputSink* out) {
    const Status status = walkRows(rows, out);
    rows.skipRest();
    return rows.failed() ? Status::OpenError : status;
}

namespace {

Status importFile(const std::filesystem::path& path) {
    const auto output = outputPath(path, ".qlx");
    auto input = platform::openInput(path);
    const auto encoding = input ? detectEncoding(input->file) : std::nullopt;
    if (!output || !encoding) {
        return Status::OpenError;
    }
    return importOpened(*input, *encoding, *output);
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
