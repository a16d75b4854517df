// Helpers shared by the tests: scratch folders, whole-file I/O, and CSV text as rows.
#pragma once

#include "csv/row_reader.h"
#include "csv/row_view.h"
#include "io/output_sink.h"
#include "platform/files.h"

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
    ScratchDir()
        : path_(std::filesystem::temp_directory_path() /
                ("qlx-test-" + std::to_string(std::random_device()()) +
                 std::to_string(std::random_device()()))) {
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
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A file that holds the bytes and nothing else, gone when it is closed; in memory where the
// system can make such a file.
platform::File fileOf(std::string_view bytes);
// Whether such a file costs little (in memory), so that a test may make many thousands.
bool filesAreCheap();

// The rows of CSV text, as reading a file of those bytes gives them.
class TextRows {
public:
    explicit TextRows(std::string_view text, const csv::TextForm& form = {})
        : file_(fileOf(text)), rows_(file_, text.size(), form) {}
    csv::RowReader& operator*() { return rows_; }
    csv::RowReader* operator->() { return &rows_; }

private:
    platform::File file_;
    csv::RowReader rows_;
};

// An output sink that appends to a string, as it is written.
// The lines of CSV text that ends each with CR LF, and back.
inline std::vector<std::string> linesOf(std::string_view csv) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < csv.size();) {
        const std::size_t end = csv.find("\r\n", at);
        lines.emplace_back(csv.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}
inline std::string joinedLines(const std::vector<std::string>& lines) {
    std::string csv;
    for (const auto& line : lines) {
        csv += line + "\r\n";
    }
    return csv;
}

// The fields of one line, as the row reader hands it over.
inline csv::CsvRowView fieldsOf(std::string_view line, char separator = ',') {
    return csv::CsvRowView(line, line.find('"') != line.npos, separator);
}

class StringSink : public io::OutputSink {
public:
    explicit StringSink(std::string& bytes) : OutputSink(0), bytes_(bytes) {}

private:
    bool put(std::string_view more) override {
        bytes_ += more;
        return true;
    }
    std::string& bytes_;
};

// A view of one line's fields, with the line it views.
struct RowOf {
    explicit RowOf(std::string_view line, char separator = ',')
        : text(line), view(fieldsOf(text, separator)) {}
    std::string text;
    csv::CsvRowView view;
};

template <std::size_t N> void setName(std::array<char, N>& field, std::string_view text) {
    field.fill('\0');
    std::memcpy(field.data(), text.data(), std::min(text.size(), N));
}

// Makes a C locale that writes a decimal comma where the system can, and returns its name for
// setlocale; empty where it cannot.
std::string makeCommaDecimalLocale();

// The code page 932 code that Windows writes for a character, as the system's own converter
// says (one byte, or lead and trail); nothing where it writes none.
std::optional<std::uint16_t> systemShiftJisCode(char32_t character);

// UTF-8 text as the system's own converter writes it in code page 932.
inline std::string systemShiftJis(std::string_view utf8) {
    std::string bytes;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto byte = [&](std::size_t k) { return char32_t(std::uint8_t(utf8[i + k])); };
        const std::size_t length = byte(0) < 0x80 ? 1 : byte(0) < 0xE0 ? 2 : 3;
        char32_t c = length == 1 ? byte(0) : byte(0) & (length == 2 ? 0x1F : 0x0F);
        for (std::size_t k = 1; k < length; ++k) {
            c = c << 6 | (byte(k) & 0x3F);
        }
        const std::uint16_t code = systemShiftJisCode(c).value_or('?');
        if (code > 0xFF) {
            bytes += static_cast<char>(code >> 8);
        }
        bytes += static_cast<char>(code & 0xFF);
        i += length;
    }
    return bytes;
}

} // namespace qlx::test
