// The steps both conversions share: the output's name, the input opened and watched, exhausted
// memory reported; then each direction's own.
#include "convert/conversion.h"

#include "convert/export.h"
#include "convert/extension.h"
#include "convert/import.h"
#include "io/input_watch.h"
#include "platform/files.h"
#include "platform/memory.h"

#include <string_view>

namespace qlx::convert {

namespace {

using Opened = Report (*)(const platform::InputFile&, const io::InputWatch&,
                          const std::filesystem::path&, const std::filesystem::path&);

Report openAndConvert(const std::filesystem::path& path, std::string_view extension,
                      Opened convert) {
    const auto output = outputPath(path, extension);
    const auto input = platform::openInput(path);
    if (!input || !output) {
        return {Status::OpenError, CannotRead{input ? platform::SystemError{} : input.error()}, {}};
    }
    // Where the file's time is too recent to tell a write by, its bytes are read once more now,
    // before the conversion reads them, and again at its end.
    const auto watch = io::InputWatch::start(*input);
    if (!watch) {
        return {Status::OpenError, CannotRead{watch.error()}, {}};
    }
    return convert(*input, *watch, path, *output);
}

Report convertFile(const std::filesystem::path& path, std::string_view extension, Opened convert) {
    Report report;
    const auto ran =
        platform::whileMemoryLasts([&] { report = openAndConvert(path, extension, convert); });
    return ran ? std::move(report) : outOfMemory(ran.error().bytes);
}

} // namespace

Report exportToCsv(const std::filesystem::path& path) {
    return convertFile(path, ".csv", exportOpened);
}

Report importFromCsv(const std::filesystem::path& path) {
    return convertFile(path, ".qlx", importOpened);
}

} // namespace qlx::convert
