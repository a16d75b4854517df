// The command-line driver: usage text, choice of direction by the extension, and the report of
// a conversion's status as a message, a signal, a pause and the exit status.
#pragma once

#include "convert/status.h"
#include "platform/process.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

namespace qlx::app {

using convert::Status;

// A conversion takes the input path and returns its status.
using Conversion = std::function<Status(const std::filesystem::path&)>;

struct Conversions {
    Conversion exportToCsv;   // for a path ending in ".qlx"
    Conversion importFromCsv; // for a path ending in ".csv"
};

// The message for a status, as code page 932 bytes; any value outside the table has the
// unknown-error message.
std::string_view statusMessage(Status status);

// Runs the program once and returns its exit status.
int runDriver(const std::optional<platform::Argument>& argument, const Conversions& conversions,
              const platform::Platform& platform);

} // namespace qlx::app
