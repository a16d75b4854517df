// The words of all that the program says: its usage text, the status messages, and what the
// facts of a report mean, in English or in Japanese, from one table.
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

// The message for a file's status, Japanese whatever the language, as UTF-8 text; any value
// outside the table has the unknown-error message.
std::string statusText(convert::Status status);

// What the program says when it is given no file, as UTF-8 text.
std::string usageText();

} // namespace qlx::app
