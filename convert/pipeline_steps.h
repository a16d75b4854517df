// The steps of the two conversions between a file's bytes and the other form, shared by the
// conversions and by the tests and fuzz targets that run them without files.
#pragma once

#include "convert/report.h"
#include "csv/row.h"
#include "csv/row_reader.h"
#include "csv/text_encoding.h"
#include "io/output_sink.h"
#include "motion/document.h"
#include "platform/files.h"

#include <filesystem>
#include <functional>
#include <new>

namespace qlx::convert {

// Record rows are formatted this many keys to a chunk; a section of more than one chunk is
// formatted on worker threads.
inline constexpr std::size_t kChunkKeys = 4096;

// The CSV text of a motion, its keys in key order and the bytes after its light keys last,
// handed to `write` piece by piece in order as it is formatted; false, with nothing written, when
// its version is unrecognised.
bool motionToTable(const motion::MotionView& motion,
                   const std::function<void(std::string_view)>& write);

// Exports the mapped bytes of a motion file to `output`: OpenError when they are no motion, or
// when the file was cut or written while it was read.
Report exportMapped(const platform::MappedInput& input, const std::filesystem::path& output);

// Walks the rows from the first into the parts of a motion file, written to `out` when there is
// one: Ok; Incomplete when the rows do not make up a motion; WriteError when they do but name an
// unrecognised version; OpenError when the whole file cannot be read, whatever its rows hold.
// The records are parsed only when there is an output, and only then noted.
Report tableToMotion(csv::RowReader& rows, io::OutputSink* out);

// Reads an opened CSV file from its start until its encoding is decided: nothing when a read
// fails.
std::optional<csv::EncodingDetector> detectEncoding(platform::File& file);

// Imports an opened CSV file of the encoding found, to `output`: OpenError when the file was
// written while it was read, whatever its rows hold.
Report importOpened(platform::InputFile& input, const csv::EncodingDetector& encoding,
                    const std::filesystem::path& output);

// A conversion whose exhausted memory unwinds to here: every file is still as it was, and the run
// ends cleanly, with how much was asked for where it is known.
template <typename Convert> Report reportingMemory(Convert convert) {
    try {
        return convert();
    } catch (const platform::AllocationFailure& failure) {
        return {Status::OutOfMemory, MemoryExhausted{failure.bytes()}, {}};
    } catch (const std::bad_alloc&) {
        return {Status::OutOfMemory, MemoryExhausted{0}, {}};
    }
}

} // namespace qlx::convert
