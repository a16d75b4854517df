// The command-line driver: usage text, choice of direction by the extension, and the report of
// a conversion's status as a message, a signal, a pause and the exit status.
#pragma once

#include "app/platform.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

namespace qlx::app {

// A conversion takes the input path and returns 0 or a negative status.
using Conversion = std::function<int(const std::filesystem::path&)>;

struct Conversions {
    Conversion exportToCsv;   // for a path ending in ".qlx"
    Conversion importFromCsv; // for a path ending in ".csv"
};

inline constexpr int kStatusBadExtension = -4;

// The message for a status, as code page 932 bytes.
std::string_view statusMessage(int status);

// Runs the program once and returns its exit status.
int runDriver(const std::optional<Argument>& argument, const Conversions& conversions,
              const Platform& platform);

} // namespace qlx::app
