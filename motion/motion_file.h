// The binary motion file (".qlx"): a 30-byte header, the active model name, four counted tables
// of records, and whatever bytes follow the light keys, read where they lie and written in order.
#pragma once

#include "io/output_sink.h"
#include "motion/motion_view.h"
#include "platform/expected.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>

namespace qlx::motion {

// The four keyframe tables, in file order.
enum class Table : std::uint8_t { Bones, Morphs, Cameras, Lights };

// Why bytes are no motion file.
struct MotionFault {
    enum class Kind : std::uint8_t {
        EndsInHeader,    // `bytes` of them, fewer than the header's 30
        UnknownVersion,  // the signature names no version
        EndsInModelName, // the bytes end inside the model name
        EndsInCount,     // inside the count of `table`
        EndsInRecords,   // inside the records of `table`, after `keys` of `count`
    };
    Kind kind = Kind::EndsInHeader;
    Table table = Table::Bones;
    std::uint32_t bytes = 0; // EndsInHeader
    std::uint32_t keys = 0;  // EndsInRecords: the whole keys before the end
    std::uint32_t count = 0;
    std::array<char, kMagicSize> magic{}; // the signature, for UnknownVersion
};

// The parts of a motion file's bytes, which the view points into; the fault, when the version
// suffix is not recognised, or the bytes end inside the header, the model name, a count or the
// records a count announces. Bytes that end where a count would begin hold no more keys: the
// counts not there read as zero.
platform::Expected<MotionView, MotionFault> parseMotion(std::span<const std::byte> bytes);

// The parts of a motion file in file order, for a writer that never holds a whole document: the
// header and active model name (the version is recognised), then for each table its count and
// its records, then the tail's bytes.
void writeHeader(io::OutputSink& sink, const MotionHeader& header);
void writeCount(io::OutputSink& sink, std::size_t count);
template <typename Record>
void writeRecords(io::OutputSink& sink, std::span<const Record> records) {
    sink.write(std::as_bytes(records));
}

} // namespace qlx::motion
