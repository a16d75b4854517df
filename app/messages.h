// The words of all that the program says beyond its status messages: what the facts of a report
// mean, in English or in Japanese, from one table.
#pragma once

#include "convert/report.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qlx::app {

enum class Language : std::uint8_t { English, Japanese };

// The lines that tell the facts of a report, as UTF-8 text: why it failed first (a path not
// converted for its extension included), then the fields read other than as written, at most
// ten of them and how many more.
std::vector<std::string> describe(const convert::Report& report, Language language);

// The line that --help adds after the usage text: how a script turns the pause off.
std::string noPauseHelp(Language language);

} // namespace qlx::app
