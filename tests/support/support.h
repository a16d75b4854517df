// Helpers shared by the tests: scratch folders, whole-file I/O, and building rows and records.
#pragma once

#include "csv/table.h"
#include "io/buffer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace qlx::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchDir {
public:
    ScratchDir() {
        std::random_device entropy;
        path_ = std::filesystem::temp_directory_path() /
                ("qlx-test-" + std::to_string(entropy()) + std::to_string(entropy()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

    // How many entries the folder holds, to prove a failure left nothing behind.
    std::size_t entries() const {
        const std::filesystem::directory_iterator all(path_);
        return static_cast<std::size_t>(std::distance(begin(all), end(all)));
    }

private:
    std::filesystem::path path_;
};

inline void writeBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// CSV text as a table, as reading a file of those bytes gives it.
inline csv::CsvTable tableOf(std::string_view text) {
    io::Buffer bytes;
    bytes.append(text);
    csv::CsvTable table;
    table.appendLines(std::move(bytes));
    return table;
}

// The rows of CSV text, each as its list of fields.
inline std::vector<std::vector<std::string>> rowsOf(std::string_view text) {
    const csv::CsvTable table = tableOf(text);
    std::vector<std::vector<std::string>> rows(table.rowCount());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (auto row = table.rowAt(r); !row.empty(); row.popFront()) {
            rows[r].emplace_back(row.front());
        }
    }
    return rows;
}

// A row view over the fields of one line, kept alive by the table it returns with it.
struct RowOf {
    explicit RowOf(std::string_view line) : table(tableOf(line)), view(table.rowAt(0)) {}
    csv::CsvTable table;
    csv::CsvRowView view;
};

template <std::size_t N> void setName(std::array<char, N>& field, std::string_view text) {
    field.fill('\0');
    std::memcpy(field.data(), text.data(), std::min(text.size(), N));
}

// Makes a C locale that writes a decimal comma where the system can, and returns its name for
// setlocale; empty where it cannot.
std::string makeCommaDecimalLocale();

} // namespace qlx::test
