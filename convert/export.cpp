// Binary motion file to CSV: load, then format the rows in chunks on worker threads, written in
// order straight into the output that replaces the target once it is complete.
#include "convert/conversion.h"
#include "convert/extension.h"
#include "convert/motion_layout.h"
#include "convert/pipeline_steps.h"
#include "csv/field_codec.h"
#include "csv/number_format.h"
#include "io/ordered_writer.h"
#include "io/pending_output.h"
#include "motion/key_order.h"
#include "motion/motion_file.h"
#include "platform/files.h"

namespace qlx::convert {

namespace {

template <typename Record, typename Format>
std::string formatRows(std::span<const Record> records, std::span<const std::uint32_t> order,
                       Format format) {
    std::string text;
    text.reserve(order.size() * 256); // room enough for bone rows, the longest, in most motions
    csv::CsvRow row;
    // Records are read out of file order, so each is fetched a few rows ahead of its use.
    constexpr std::size_t kAhead = 8;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i + kAhead < order.size()) {
            const auto* ahead = reinterpret_cast<const char*>(&records[order[i + kAhead]]);
            __builtin_prefetch(ahead);
            __builtin_prefetch(ahead + sizeof(Record) - 1);
        }
        format(row, records[order[i]]);
        csv::writeRow(text, row);
    }
    return text;
}

// One count row, then one row per record in key order.
template <typename Record, typename Format>
void addSection(io::OrderedWriter& out, std::span<const Record> records,
                std::span<const std::uint32_t> order, Format format) {
    out.add(
        [count = static_cast<std::uint32_t>(records.size())] {
            char digits[csv::kMaxNumberText];
            return std::string(digits, csv::formatUnsigned(digits, count)) + "\r\n";
        },
        false);
    for (std::size_t begin = 0; begin < order.size(); begin += kChunkKeys) {
        const auto chunk = order.subspan(begin, std::min(kChunkKeys, order.size() - begin));
        out.add([records, chunk, format] { return formatRows(records, chunk, format); },
                order.size() > kChunkKeys);
    }
}

// The bytes after the light keys, when there are any, as one more row: a byte block, written
// in pieces so that a tail of any size passes through little memory.
void addTail(io::OrderedWriter& out, std::span<const std::uint8_t> tail) {
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    for (std::size_t begin = 0; begin < tail.size(); begin += kPiece) {
        const auto piece = tail.subspan(begin, std::min(kPiece, tail.size() - begin));
        const bool first = begin == 0;
        const bool last = begin + piece.size() == tail.size();
        out.add(
            [piece, first, last] {
                std::string text = first ? "0x" : "";
                csv::appendHexDigits(text, piece);
                return last ? text + "\r\n" : text;
            },
            tail.size() > kPiece);
    }
}

} // namespace

bool motionToTable(const motion::MotionView& motion,
                   const std::function<void(std::string_view)>& write) {
    if (motion.version() == motion::MotionVersion::Unrecognised) {
        return false;
    }
    csv::CsvRow row;
    std::string head;
    formatHeaderRow(row, motion);
    csv::writeRow(head, row);
    row.clear();
    csv::appendName(row, motion.activeModelName());
    csv::writeRow(head, row);
    write(head);
    const motion::KeyOrder order = motion::keyOrder(motion);
    io::OrderedWriter out(write);
    addSection(out, motion.bones, order.bones, formatBoneRow);
    addSection(out, motion.morphs, order.morphs, formatMorphRow);
    addSection(out, motion.cameras, order.cameras, formatCameraRow);
    addSection(out, motion.lights, order.lights, formatLightRow);
    addTail(out, {reinterpret_cast<const std::uint8_t*>(motion.tail.data()), motion.tail.size()});
    out.finish();
    return true;
}

Report exportMapped(const platform::MappedInput& input, const std::filesystem::path& output) {
    motion::MotionFault fault;
    const auto motion = motion::parseMotion(input.bytes(), &fault);
    // A file cut while it was read may look like no motion: that it was cut is what to say.
    if (!input.intact()) {
        return {Status::OpenError, ChangedWhileRead{}, {}};
    }
    if (!motion) {
        return {Status::OpenError, NotAMotion{fault}, {}};
    }
    io::PendingOutput csv(output);
    if (!csv.isOpen()) {
        return {Status::WriteError, CannotWrite{csv.failure()}, {}};
    }
    motionToTable(*motion, [&](std::string_view text) { csv.sink().write(text); });
    // A file that changed while it was read gave no output that can be trusted.
    if (!input.intact()) {
        return {Status::OpenError, ChangedWhileRead{}, {}};
    }
    if (!csv.commit()) {
        return {Status::WriteError, CannotWrite{csv.failure()}, {}};
    }
    return {};
}

namespace {

Report exportFile(const std::filesystem::path& path) {
    const auto output = outputPath(path, ".csv");
    platform::SystemError error;
    // The records are read where the file's bytes already lie, in key order.
    const auto input = output ? platform::mapInput(path, &error) : std::nullopt;
    if (!input) {
        return {Status::OpenError, CannotRead{error}, {}};
    }
    return exportMapped(*input, *output);
}

} // namespace

Report exportToCsv(const std::filesystem::path& path) {
    return reportingMemory([&] { return exportFile(path); });
}

} // namespace qlx::convert
