// The export's steps after the input is open: the CSV text of a motion, and the export of an
// opened motion file, for the conversion and for the tests and fuzz targets that run them.
#pragma once

#include "convert/report.h"
#include "io/input_watch.h"
#include "io/output_sink.h"
#include "motion/motion_view.h"
#include "platform/files.h"

#include <cstddef>
#include <filesystem>
#include <string_view>

namespace qlx::convert {

// Record rows are formatted this many keys to a chunk; a section of more than one chunk is
// formatted on worker threads.
inline constexpr std::size_t kChunkKeys = 4096;

// The CSV text of a motion of a version this program reads, its keys in key order and the bytes
// after its light keys last, written to `out` piece by piece in order as it is formatted.
void motionToCsv(const motion::MotionView& motion, io::OutputSink& out);

// Exports the opened motion file at `path` to `output`: OpenError when its bytes are no motion,
// or when the file was cut or written while it was read, as `watch` tells.
Report exportOpened(const platform::InputFile& input, const io::InputWatch& watch,
                    const std::filesystem::path& path, const std::filesystem::path& output);

} // namespace qlx::convert
