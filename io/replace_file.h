// All-or-nothing replacement of an output file, shared by the binary motion file and the CSV
// file so that a failed conversion never leaves a truncated or half-written output.
#pragma once

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <functional>
#include <span>
#include <string_view>

namespace qlx::io {

// Passes the bytes of the file being written to its stream; the stream's state tells
// `replaceFile` whether every write succeeded.
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
