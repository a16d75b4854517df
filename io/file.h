// Whole-file reading and all-or-nothing file replacement, shared by the binary motion file and
// the CSV file so that a failed conversion never leaves a truncated or half-written output.
#pragma once

#include "io/buffer.h"

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qlx::io {

// The file's bytes, or nothing when it cannot be opened or a read fails before its end.
std::optional<Buffer> readFile(const std::filesystem::path& path);

// The size of a regular file, or nothing for anything else (a missing file, a pipe).
std::optional<std::size_t> regularFileSize(const std::filesystem::path& path);

// Receives the bytes of a file being written; remembers whether every write succeeded.
class OutputSink {
public:
    explicit OutputSink(std::ofstream& stream) : stream_(stream) {}
    void write(std::string_view bytes) {
        stream_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    void write(std::span<const std::byte> bytes) {
        write(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }

private:
    std::ofstream& stream_;
};

// Writes a file beside `target` through `produce` and moves it over `target` only when every
// byte reached the disk. On any failure the temporary file is removed and an existing target
// keeps its bytes. A target that exists but cannot be opened for writing (read-only, a folder)
// is refused before anything is created.
bool replaceFile(const std::filesystem::path& target,
                 const std::function<void(OutputSink&)>& produce);

} // namespace qlx::io
