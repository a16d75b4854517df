// The walk of a CSV motion file's rows, by position, into the parts of a motion file: the header
// and model-name rows, four sections of a count row and as many record rows, and the rows after
// the light keys. Record rows are parsed on worker threads, a chunk at a time, and written in
// order; a row where the walk finds what no position allows ends it with the facts of where.
#include "convert/row_walk.h"

#include "convert/motion_layout.h"
#include "csv/field_codec.h"
#include "csv/number_parse.h"
#include "csv/row_view.h"
#include "motion/motion_file.h"
#include "platform/ordered_jobs.h"
#include "text/fixed_text.h"

#include <algorithm>
#include <vector>

namespace qlx::convert {

namespace {

// Record rows go to the worker threads in chunks of this many bytes of text and records at most:
// small chunks keep little memory in flight. A longer row is parsed alone, on this thread.
constexpr std::size_t kChunkBytes = std::size_t{96} << 10;

// Record rows on their way to a worker thread: their texts one after another, and the line on
// which each begins.
class RowChunk {
public:
    void add(const csv::Row& row, std::size_t rowsLeft) {
        if (rows_.empty()) {
            // Room for rows like the first, but no more than a chunk, and less for a short section.
            text_.reserve(
                std::min(rowsLeft * (row.text.size() + row.text.size() / 4), kChunkBytes));
        }
        text_ += row.text;
        rows_.push_back({text_.size(), row.line, row.holdsQuote});
    }
    std::size_t size() const { return rows_.size(); }
    std::size_t bytes() const { return text_.size(); }
    std::uint64_t line(std::size_t k) const { return rows_[k].line; }
    csv::CsvRowView view(std::size_t k, char separator) const {
        const std::size_t begin = k == 0 ? 0 : rows_[k - 1].end;
        return csv::CsvRowView(std::string_view(text_.data() + begin, rows_[k].end - begin),
                               rows_[k].holdsQuote, separator);
    }

private:
    struct Line {
        std::size_t end;
        std::uint64_t line;
        bool holdsQuote;
    };
    std::string text_;
    std::vector<Line> rows_;
};

// The records of a chunk of rows, as the motion file holds them, and what reading them noted.
template <typename Record> struct Parsed {
    std::vector<Record> records;
    Notes notes;
};

// A count row holds one whole number from 0 to 4,294,967,295, white space and a sign around it
// allowed (-0 is 0), and blank fields after it, as a spreadsheet pads short rows.
platform::Expected<std::uint32_t, NotACount::Why> countOf(csv::CsvRowView row) {
    using Why = NotACount::Why;
    std::string_view field = row.empty() ? std::string_view() : row.front();
    for (row.popFront(); !row.empty(); row.popFront()) {
        if (!text::isBlank(row.front())) {
            return platform::unexpected(Why::NotWhole);
        }
    }
    const auto whole = csv::wholeNumber(field);
    if (!whole) {
        return platform::unexpected(Why::NotWhole);
    }
    if (whole->negative && whole->digits != "0") {
        return platform::unexpected(Why::Negative);
    }
    const auto count = csv::parseUnsigned(whole->digits);
    if (!count) {
        return platform::unexpected(Why::TooLarge);
    }
    return *count;
}

// The fields of a row that are not blank, and the first field's start.
NotACount notACount(csv::CsvRowView row, Table table, std::uint64_t line,
                    std::optional<CountRow> before, NotACount::Why why) {
    NotACount fact{table, line, 0, {}, before, why};
    for (bool first = true; !row.empty(); row.popFront(), first = false) {
        if (first) {
            fact.text = row.front().substr(0, kKeptText);
        }
        fact.values += text::isBlank(row.front()) ? 0u : 1u;
    }
    return fact;
}

// Where the walk stands: what it has found, and the last count row it read.
struct Walk {
    Report report;
    std::optional<CountRow> count;
    std::uint64_t last = 0; // the line on which the last row read begins

    // The next row, held whole.
    platform::Expected<csv::Row, csv::ReadFault> next(csv::RowReader& rows) {
        auto row = rows.next();
        last = row ? row->line : last;
        return row;
    }

    // The rows do not make up a motion, or cannot be read: the walk ends, and says where.
    bool fail(Status status, Failure failure) {
        report = {status, std::move(failure), {}};
        return false;
    }
    bool fail(Failure failure) { return fail(Status::RowsNotAMotion, std::move(failure)); }
    bool fail(const csv::ReadFault& fault) {
        using Kind = csv::ReadFault::Kind;
        switch (fault.kind) {
        case Kind::NotText:
            return fail(NotShiftJisText{fault.line, fault.character,
                                        fault.encoding == csv::TextEncoding::Utf16Le ||
                                            fault.encoding == csv::TextEncoding::Utf16Be});
        case Kind::System:
            break;
        }
        return fail(Status::OpenError, CannotRead{fault.error});
    }
};

// A chunk's records written in order, with what reading them noted.
template <typename Record> void write(io::OutputSink& out, Walk& walk, Parsed<Record>&& parsed) {
    motion::writeRecords(out, std::span<const Record>(parsed.records));
    walk.report.notes.append(std::move(parsed.notes));
}

template <typename Record, typename Parse>
Parsed<Record> parseChunk(const RowChunk& chunk, std::vector<Record> records, Parse parse,
                          char separator) {
    Parsed<Record> parsed{std::move(records), {}};
    for (std::size_t k = 0; k < chunk.size(); ++k) {
        csv::CsvRowView row = chunk.view(k, separator);
        parse(row, parsed.records[k], NoteSink{&parsed.notes, chunk.line(k)});
    }
    return parsed;
}

// A count row, then as many record rows, parsed on worker threads a chunk at a time but for a
// section of one chunk, and written in order. Nothing is allocated for the records ahead of their
// rows, so a count larger than the file can hold costs nothing before it fails.
template <typename Record, typename Parse>
bool section(csv::RowReader& rows, io::OutputSink& out, Walk& walk, Table table, Parse parse) {
    const char separator = rows.separator();
    if (!rows.more()) {
        return walk.fail(EndsEarly{EndsEarly::Row::Count, table, walk.last});
    }
    const auto countRow = walk.next(rows);
    if (!countRow) {
        return walk.fail(countRow.error());
    }
    const csv::CsvRowView countView(countRow->text, countRow->holdsQuote, separator);
    const auto count = countOf(countView);
    if (!count) {
        return walk.fail(notACount(countView, table, countRow->line, walk.count, count.error()));
    }
    walk.count = CountRow{table, countRow->line, *count};
    motion::writeCount(out, *count);
    platform::OrderedJobs<Parsed<Record>> jobs;
    RowChunk rowsHeld;
    // The job that parses the rows gathered so far. Memory is taken and given back on this
    // thread, so that worker threads leave none of it behind in heaps of their own.
    const auto parsed = [&] {
        std::vector<Record> records(rowsHeld.size());
        return [chunk = std::exchange(rowsHeld, {}), records = std::move(records), parse,
                separator]() mutable {
            return parseChunk(chunk, std::move(records), parse, separator);
        };
    };
    for (std::uint32_t i = 0; i < *count; ++i) {
        if (!rows.more()) {
            return walk.fail(TooFewRows{*walk.count, i});
        }
        const auto row = walk.next(rows);
        if (!row) {
            return walk.fail(row.error());
        }
        if (row->text.size() >= kChunkBytes) {
            // Parsed where the reader holds it, once every earlier row is written.
            while (!jobs.empty()) {
                write(out, walk, jobs.take());
            }
            if (rowsHeld.size() > 0) {
                write(out, walk, parsed()());
            }
            csv::CsvRowView view(row->text, row->holdsQuote, separator);
            Record record{};
            parse(view, record, NoteSink{&walk.report.notes, row->line});
            motion::writeRecords(out, std::span<const Record>(&record, 1));
            continue;
        }
        rowsHeld.add(*row, *count - i);
        const bool last = i + 1 == *count;
        if (rowsHeld.bytes() + rowsHeld.size() * sizeof(Record) >= kChunkBytes || last) {
            if (last && jobs.empty()) {
                write(out, walk, parsed()()); // a section of one chunk costs no thread
                continue;
            }
            if (jobs.full()) {
                write(out, walk, jobs.take());
            }
            jobs.add(parsed());
        }
    }
    while (!jobs.empty()) {
        write(out, walk, jobs.take());
    }
    return true;
}

// The first row after the light keys, when it is a byte block and empty fields alone, holds the
// bytes that followed them in the motion file; every other row there must be blank. A row is read
// there in pieces, so that a block of any size passes through little memory: its bytes are
// written as they come, which costs nothing where it turns out to be no block, as the walk then
// fails, or blank, as no byte of a blank row is decoded.
bool afterLights(csv::RowReader& rows, io::OutputSink& out, Walk& walk) {
    for (bool first = true; rows.more(); first = false) {
        const std::uint64_t line = rows.line();
        csv::HexBlock block;
        bool isBlock = first;
        std::size_t values = 0;
        bool blank = true;
        for (std::size_t field = 0;;) {
            const auto piece = rows.piece();
            if (!piece) {
                return walk.fail(piece.error());
            }
            if (first && field == 0) {
                block.add(piece->text, out);
            } else {
                isBlock = isBlock && piece->text.empty();
            }
            blank = blank && text::isBlank(piece->text);
            if (piece->fieldEnds) {
                values += blank ? 0 : 1;
                blank = true;
                ++field;
            }
            if (piece->rowEnds) {
                break;
            }
        }
        if (!(isBlock && block.whole()) && values > 0) {
            return walk.fail(RowAfterLights{line, values, *walk.count});
        }
    }
    return true;
}

} // namespace

Report walkRows(csv::RowReader& rows, io::OutputSink& out) {
    Walk walk;
    const char separator = rows.separator();
    motion::MotionHeader header;
    if (!rows.more()) {
        walk.fail(EndsEarly{EndsEarly::Row::Header, Table::Bones, 0});
        return std::move(walk.report);
    }
    const auto headerRow = walk.next(rows);
    if (!headerRow) {
        walk.fail(headerRow.error());
        return std::move(walk.report);
    }
    csv::CsvRowView headerView(headerRow->text, headerRow->holdsQuote, separator);
    parseHeaderRow(headerView, header, {&walk.report.notes, headerRow->line});
    if (!rows.more()) {
        walk.fail(EndsEarly{EndsEarly::Row::ModelName, Table::Bones, headerRow->line});
        return std::move(walk.report);
    }
    const auto modelNameRow = walk.next(rows);
    if (!modelNameRow) {
        walk.fail(modelNameRow.error());
        return std::move(walk.report);
    }
    csv::CsvRowView modelNameView(modelNameRow->text, modelNameRow->holdsQuote, separator);
    parseModelNameRow(modelNameView, header, {&walk.report.notes, modelNameRow->line});
    motion::writeHeader(out, header);
    if (section<motion::BoneKey>(rows, out, walk, Table::Bones, parseBoneRow) &&
        section<motion::MorphKey>(rows, out, walk, Table::Morphs, parseMorphRow) &&
        section<motion::CameraKey>(rows, out, walk, Table::Cameras, parseCameraRow) &&
        section<motion::LightKey>(rows, out, walk, Table::Lights, parseLightRow) &&
        afterLights(rows, out, walk) && header.version() == motion::MotionVersion::Unrecognised) {
        walk.report.status = Status::WriteError;
        walk.report.failure = UnwritableVersion{std::string(text::fieldText(header.magic))};
    }
    return std::move(walk.report);
}

} // namespace qlx::convert
