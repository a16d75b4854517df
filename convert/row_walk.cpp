// The walk of a CSV motion file's rows, by position, into the parts of a motion file: the header
// and model-name rows, four sections of a count row and as many record rows, and the rows after
// the light keys. Record rows are parsed on worker threads, a chunk at a time, and written in
// order; a row where the walk finds what no position allows ends it with the facts of where.
#include "convert/motion_layout.h"
#include "convert/pipeline_steps.h"
#include "csv/field_codec.h"
#include "csv/number_parse.h"
#include "csv/streamed_row.h"
#include "io/fixed_text.h"
#include "io/ordered_writer.h"
#include "motion/motion_file.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <optional>
#include <vector>

namespace qlx::convert {

namespace {

// Record rows go to the worker threads this many at a time: small chunks keep little memory in
// flight, and the workers live as long as the walk, so a chunk costs no thread.
constexpr std::size_t kRowsPerChunk = 256;
// A fact keeps the start of a long field, enough to find it by.
constexpr std::size_t kFactText = 40;

// Record rows on their way to a worker thread: their texts one after another, and their lines.
class Lines {
public:
    explicit Lines(std::size_t rows) { rows_.reserve(rows); }
    void add(const csv::RowReader::Line& line, std::uint64_t number) {
        if (rows_.empty()) {
            // Room for rows like the first, with some to spare, but no more than a chunk of bone
            // rows needs, and less for a short section.
            text_.reserve(std::min(rows_.capacity() * (line.text.size() + line.text.size() / 4),
                                   kRowsPerChunk * 256));
        }
        text_ += line.text;
        rows_.push_back({text_.size(), number, line.holdsQuote});
    }
    std::size_t size() const { return rows_.size(); }
    std::uint64_t line(std::size_t k) const { return rows_[k].line; }
    csv::CsvRowView view(std::size_t k) const {
        const std::size_t begin = k == 0 ? 0 : rows_[k - 1].end;
        return csv::CsvRowView(std::string_view(text_.data() + begin, rows_[k].end - begin),
                               rows_[k].holdsQuote);
    }

private:
    struct Row {
        std::size_t end;
        std::uint64_t line;
        bool holdsQuote;
    };
    std::string text_;
    std::vector<Row> rows_;
};

// The records of the rows, as the motion file holds them, into `bytes`, which holds as many;
// what their fields' reading notes, into `notes`.
template <typename Record, typename Parse>
std::string parseLines(const Lines& lines, std::string bytes, Parse parse, Notes& notes) {
    for (std::size_t k = 0; k < lines.size(); ++k) {
        csv::CsvRowView row = lines.view(k);
        Record record{};
        parse(row, record, NoteSink{&notes, lines.line(k)});
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

bool blank(std::string_view text) {
    return std::all_of(text.begin(), text.end(), io::isSpace);
}

// The fields of a held row that are not blank, and the first field's text.
struct Values {
    std::size_t count = 0;
    std::string first;
};

Values valuesOf(csv::CsvRowView row) {
    Values values;
    for (bool first = true; !row.empty(); row.popFront(), first = false) {
        if (first) {
            values.first = row.front().substr(0, kFactText);
        }
        values.count += blank(row.front()) ? 0u : 1u;
    }
    return values;
}

// A count row holds one whole number, white space and a sign around it allowed, and blank
// fields after it, as a spreadsheet pads short rows.
std::optional<std::uint32_t> countOf(csv::CsvRowView row) {
    if (row.empty()) {
        return std::nullopt;
    }
    const std::string_view field = row.front();
    std::size_t used = 0;
    const auto count = csv::parseUnsigned(field, &used);
    if (!count || !blank(field.substr(used))) {
        return std::nullopt;
    }
    for (row.popFront(); !row.empty(); row.popFront()) {
        if (!blank(row.front())) {
            return std::nullopt;
        }
    }
    return count;
}

class Walk {
public:
    Walk(csv::RowReader& rows, io::OutputSink* out) : rows_(rows), out_(out) {}

    Report run() {
        motion::MotionHeader header;
        if (!rows_.more()) {
            return fail(EndsEarly{EndsEarly::Row::Header, Table::Bones, 0});
        }
        csv::CsvRowView headerRow = rows_.next();
        parseHeaderRow(headerRow, header, {&notes_, rows_.line()});
        if (!rows_.more()) {
            return fail(EndsEarly{EndsEarly::Row::ModelName, Table::Bones, rows_.line()});
        }
        csv::CsvRowView modelNameRow = rows_.next();
        parseModelNameRow(modelNameRow, header, {&notes_, rows_.line()});
        const bool recognised = header.version() != motion::MotionVersion::Unrecognised;
        out_ = recognised ? out_ : nullptr;
        if (out_ != nullptr) {
            pieces_.emplace([this](std::string_view bytes) { out_->write(bytes); });
            pieces_->add(piece([&](io::OutputSink& sink) { motion::writeHeader(sink, header); }),
                         false);
        }
        if (!section<motion::BoneKey>(Table::Bones, parseBoneRow) ||
            !section<motion::MorphKey>(Table::Morphs, parseMorphRow) ||
            !section<motion::CameraKey>(Table::Cameras, parseCameraRow) ||
            !section<motion::LightKey>(Table::Lights, parseLightRow)) {
            return std::move(report_);
        }
        if (pieces_) {
            pieces_->finish();
        }
        if (!afterLights()) {
            return std::move(report_);
        }
        report_.notes = std::move(notes_);
        for (Notes& chunk : chunkNotes_) {
            report_.notes.append(std::move(chunk));
        }
        if (!recognised) {
            report_.status = Status::WriteError;
            report_.failure = UnwritableVersion{std::string(io::fieldText(header.magic))};
        }
        return std::move(report_);
    }

private:
    // The rows do not make up a motion: the walk ends, and says where.
    bool failed(Failure failure) {
        report_.status = Status::Incomplete;
        report_.failure = std::move(failure);
        return false;
    }
    Report fail(Failure failure) {
        failed(std::move(failure));
        return std::move(report_);
    }

    // A count row, then as many record rows. This thread walks the rows; the records are parsed
    // on worker threads, a chunk at a time, and written in order, when there is an output.
    // Nothing is allocated for the records ahead of their rows, so a count larger than the file
    // can hold costs nothing before it fails.
    template <typename Record, typename Parse> bool section(Table table, Parse parse) {
        if (!rows_.more()) {
            return failed(EndsEarly{EndsEarly::Row::Count, table, rows_.line()});
        }
        const csv::RowReader::Line countLine = rows_.nextLine();
        const csv::CsvRowView countRow(countLine.text, countLine.holdsQuote);
        const auto count = countOf(countRow);
        if (!count) {
            Values values = valuesOf(countRow);
            return failed(
                NotACount{table, rows_.line(), values.count, std::move(values.first), count_});
        }
        count_ = CountRow{table, rows_.line(), *count};
        if (pieces_) {
            pieces_->add(piece([&](io::OutputSink& sink) { motion::writeCount(sink, *count); }),
                         false);
        }
        const bool onWorkers = *count > kRowsPerChunk;
        Lines lines(std::min<std::size_t>(*count, kRowsPerChunk));
        for (std::uint32_t i = 0; i < *count; ++i) {
            if (!rows_.more()) {
                return failed(TooFewRows{*count_, i});
            }
            const csv::RowReader::Line line = rows_.nextLine();
            if (!pieces_) {
                continue;
            }
            lines.add(line, rows_.line());
            if (lines.size() == kRowsPerChunk || i + 1 == *count) {
                // Memory is taken and given back on this thread, so that worker threads leave
                // none of it behind in heaps of their own.
                std::string bytes(lines.size() * sizeof(Record), '\0');
                Notes& notes = chunkNotes_.emplace_back();
                pieces_->add(
                    [chunk = std::move(lines), bytes = std::move(bytes), parse, &notes]() mutable {
                        return parseLines<Record>(chunk, std::move(bytes), parse, notes);
                    },
                    onWorkers);
                lines = Lines(std::min<std::size_t>(*count - i - 1, kRowsPerChunk));
            }
        }
        return true;
    }

    // The first row after the light keys, when it is a byte block and empty fields alone, holds
    // the bytes that followed them in the motion file. It is read twice, once to learn that it
    // is such a block and once to write its bytes, so that a block of any size passes through
    // little memory. Every other row there must be blank.
    bool afterLights() {
        if (!rows_.more()) {
            return true;
        }
        const csv::RowReader::Mark first = rows_.mark();
        csv::ByteBlockRow block;
        rows_.streamLine([&](std::string_view text) { block.add(text); });
        rows_.rewind(first);
        if (block.isBlock()) {
            csv::ByteBlockRow bytes([this](std::span<const std::uint8_t> decoded) {
                if (out_ != nullptr) {
                    out_->write(std::as_bytes(decoded));
                }
            });
            rows_.streamLine([&](std::string_view text) { bytes.add(text); });
        }
        while (rows_.more()) {
            csv::BlankCheck blank;
            rows_.streamLine([&](std::string_view text) { blank.add(text); });
            if (!blank.blank()) {
                return failed(RowAfterLights{rows_.line(), blank.values(), *count_});
            }
        }
        return true;
    }

    csv::RowReader& rows_;
    io::OutputSink* out_;
    Notes notes_;                  // of the header and model-name rows
    std::deque<Notes> chunkNotes_; // of each chunk of record rows, in file order
    // After the notes its jobs write, so that it is gone, a running job waited for, before them.
    std::optional<io::OrderedWriter> pieces_;
    std::optional<CountRow> count_; // the last count row read
    Report report_;
};

} // namespace

Report tableToMotion(csv::RowReader& rows, io::OutputSink* out) {
    Report report = Walk(rows, out).run();
    rows.skipRest();
    if (rows.failed()) {
        return {Status::OpenError, CannotRead{{platform::SystemError::Kind::Other, 0}}, {}};
    }
    return report;
}

} // namespace qlx::convert
