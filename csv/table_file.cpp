// Reading and writing CSV tables as files, through the whole-file helpers.
#include "csv/table_file.h"

#include "io/read_file.h"
#include "io/replace_file.h"

#include <utility>

namespace qlx::csv {

bool readTable(const std::filesystem::path& path, CsvTable& table) {
    auto bytes = io::readFile(path);
    return bytes && table.appendLines(std::move(*bytes));
}

bool writeTable(const std::filesystem::path& path, const CsvTable& table) {
    return io::replaceFile(path, [&](io::OutputSink& sink) {
        table.forEachPiece([&](std::string_view piece) { sink.write(piece); });
    });
}

} // namespace qlx::csv
