// The command-line driver: usage text, choice of direction by the extension, a message for each
// file's status and a line or two on what went wrong and where, and one signal, one pause and
// the exit status for the whole run.
#pragma once

#include "convert/report.h"
#include "platform/process.h"

#include <filesystem>
#include <functional>
#include <span>
#include <string_view>

namespace qlx::app {

using convert::Report;
using convert::Status;

// A conversion takes the input path and reports its status and what it found.
using Conversion = std::function<Report(const std::filesystem::path&)>;

struct Conversions {
    Conversion exportToCsv;   // for a path ending in ".qlx"
    Conversion importFromCsv; // for a path ending in ".csv"
};

// The conversion that the path's extension picks, run on it; BadExtension for any other name.
Report convertOne(const std::filesystem::path& path, const Conversions& conversions);

// Runs the program on each argument in turn and returns its exit status: 0 when every file
// converted, otherwise the status of the first that failed. Without arguments, the usage text;
// with --help, -h or /?, the usage text, and with --version the version, at once.
int runDriver(std::span<const platform::Argument> arguments, const Conversions& conversions,
              const platform::Platform& platform);

} // namespace qlx::app
