// Binary motion file to CSV: load, then format the rows in chunks on worker threads, written in
// order straight into the output that replaces the target once it is complete.
#include "convert/export.h"

#include "convert/motion_layout.h"
#include "csv/field_codec.h"
#include "csv/number_format.h"
#include "io/input_watch.h"
#include "io/pending_output.h"
#include "motion/key_order.h"
#include "motion/motion_file.h"
#include "platform/files.h"
#include "platform/ordered_jobs.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace qlx::convert {

namespace {

template <typename Record, typename Format>
std::string formatRows(std::span<const Record> records, std::span<const std::uint32_t> order,
                       Format format) {
    std::string text;
    text.reserve(order.size() * 256); // room enough for bone rows, the longest, in most motions
    csv::CsvRow row;
    // Records are read out of file order: a few thousand at a time are first gathered in a tight
    // loop, whose reads the processor overlaps, and then formatted from the copy.
    constexpr std::size_t kGathered = 4096;
    std::vector<Record> gathered;
    gathered.reserve(std::min(kGathered, order.size()));
    for (std::size_t begin = 0; begin < order.size(); begin += kGathered) {
        gathered.clear();
        for (const std::uint32_t i :
             order.subspan(begin, std::min(kGathered, order.size() - begin))) {
            gathered.push_back(records[i]);
        }
        for (const Record& record : gathered) {
            format(row, record);
            csv::writeRow(text, row);
        }
    }
    return text;
}

// Pieces of CSV text written in order, the larger sections' formatted on worker threads.
class Writer {
public:
    explicit Writer(io::OutputSink& out) : out_(out) {}

    // A piece made here, once every earlier piece is written.
    void now(const std::string& text) {
        drain();
        out_.write(text);
    }
    // A piece made on a worker thread, written in its turn.
    void later(std::function<std::string()> job) {
        if (jobs_.full()) {
            out_.write(jobs_.take());
        }
        jobs_.add(std::move(job));
    }
    void drain() {
        while (!jobs_.empty()) {
            out_.write(jobs_.take());
        }
    }

private:
    io::OutputSink& out_;
    platform::OrderedJobs<std::string> jobs_;
};

// One count row, then one row per record in key order.
template <typename Record, typename Format>
void addSection(Writer& out, std::span<const Record> records, std::span<const std::uint32_t> order,
                Format format) {
    csv::CsvRow count;
    csv::appendUnsigned(count, static_cast<std::uint32_t>(records.size()));
    std::string line;
    csv::writeRow(line, count);
    out.now(line);
    if (order.size() <= kChunkKeys) {
        out.now(formatRows(records, order, format));
        return;
    }
    for (std::size_t begin = 0; begin < order.size(); begin += kChunkKeys) {
        const auto chunk = order.subspan(begin, std::min(kChunkKeys, order.size() - begin));
        out.later([records, chunk, format] { return formatRows(records, chunk, format); });
    }
}

// The bytes after the light keys, when there are any, as one more row: a byte block, written
// in pieces so that a tail of any size passes through little memory.
void addTail(Writer& out, std::span<const std::uint8_t> tail) {
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    for (std::size_t begin = 0; begin < tail.size(); begin += kPiece) {
        const auto piece = tail.subspan(begin, std::min(kPiece, tail.size() - begin));
        const bool first = begin == 0;
        const bool last = begin + piece.size() == tail.size();
        const auto format = [piece, first, last] {
            std::string text = first ? "0x" : "";
            csv::appendHexDigits(text, piece);
            return last ? text + "\r\n" : text;
        };
        if (tail.size() > kPiece) {
            out.later(format);
        } else {
            out.now(format());
        }
    }
}

} // namespace

void motionToCsv(const motion::MotionView& motion, io::OutputSink& out) {
    csv::CsvRow row;
    std::string head;
    formatHeaderRow(row, motion);
    csv::writeRow(head, row);
    row.clear();
    csv::appendName(row, motion.activeModelName());
    csv::writeRow(head, row);
    out.write(head);
    const motion::KeyOrder order = motion::keyOrder(motion);
    Writer writer(out);
    addSection(writer, motion.bones, order.bones, formatBoneRow);
    addSection(writer, motion.morphs, order.morphs, formatMorphRow);
    addSection(writer, motion.cameras, order.cameras, formatCameraRow);
    addSection(writer, motion.lights, order.lights, formatLightRow);
    addTail(writer,
            {reinterpret_cast<const std::uint8_t*>(motion.tail.data()), motion.tail.size()});
    writer.drain();
}

Report exportOpened(const platform::InputFile& input, const io::InputWatch& watch,
                    const std::filesystem::path& path, const std::filesystem::path& output) {
    // Read whole; the records are then taken in key order where they lie.
    const auto read = platform::readWhole(input);
    if (!read) {
        return {Status::OpenError, CannotRead{read.error()}, {}};
    }
    const auto motion = motion::parseMotion(read->bytes());
    // A file cut while it was read may look like no motion: that it was cut is what to say.
    if (read->cut || !input.unchanged()) {
        return {Status::OpenError, ChangedWhileRead{}, {}};
    }
    if (!motion) {
        return {Status::OpenError, NotAMotion{motion.error()}, {}};
    }
    io::PendingOutput pending(output, path);
    if (const auto opened = pending.opened(); !opened) {
        return {Status::WriteError, CannotWrite{opened.error()}, {}};
    }
    motionToCsv(*motion, pending);
    // A file that changed while it was read gave no output that can be trusted.
    const auto unchanged = watch.unchanged(input);
    if (!unchanged) {
        return {Status::OpenError, CannotRead{unchanged.error()}, {}};
    }
    if (!*unchanged) {
        return {Status::OpenError, ChangedWhileRead{}, {}};
    }
    if (const auto committed = pending.commit(); !committed) {
        return {Status::WriteError, CannotWrite{committed.error()}, {}};
    }
    return {};
}

} // namespace qlx::convert
