// The steps of the two conversions between a file's bytes and the other form, shared by the
// conversions and by the tests and fuzz targets that run them without files.
#pragma once

#include "convert/report.h"
#include "io/input_watch.h"
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

// Exports the mapped bytes of the motion file at `path` to `output`: OpenError when they are no
// motion, or when the file was cut or written while it was read, as `watch` tells.
Report exportMapped(const platform::MappedInput& input, const io::InputWatch& watch,
                    const std::filesystem::path& path, const std::filesystem::path& output);

// Imports the opened CSV file at `path` to `output`: OpenError when the file was written while it
// was read, as `watch` tells, whatever its rows hold.
Report importOpened(const platform::InputFile& input, const io::InputWatch& watch,
                    const std::filesystem::path& path, const std::filesystem::path& output);

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
