// The import's steps after the input is open, for the conversion and for the tests that run
// them on a file they change meanwhile.
#pragma once

#include "convert/report.h"
#include "io/input_watch.h"
#include "platform/files.h"

#include <filesystem>

namespace qlx::convert {

// Imports the opened CSV file at `path` to `output`: OpenError when the file was written while it
// was read, as `watch` tells, whatever its rows hold.
Report importOpened(const platform::InputFile& input, const io::InputWatch& watch,
                    const std::filesystem::path& path, const std::filesystem::path& output);

} // namespace qlx::convert
