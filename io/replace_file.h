// All-or-nothing replacement of an output file, shared by the binary motion file and the CSV
// file so that a failed conversion never leaves a truncated, half-written or stray file.
#pragma once

#include "platform/files.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace qlx::io {

// Gathers the bytes of an output into large writes, each handed to `flush`, and remembers
// whether every write succeeded.
class OutputSink {
public:
    using Flush = std::function<bool(std::string_view)>;
    explicit OutputSink(Flush flush) : flush_(std::move(flush)) { buffer_.reserve(kBufferSize); }
    void write(std::string_view bytes);
    void write(std::span<const std::byte> bytes) {
        write(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    // Writes what is gathered; false when any write so far failed.
    bool finish();

private:
    static constexpr std::size_t kBufferSize = std::size_t{1} << 20;
    Flush flush_;
    std::vector<char> buffer_;
    bool failed_ = false;
};

// Writes a new file through `produce` and moves it over `target` only when `produce` returns
// true and every byte reached the disk; where `target` is a symbolic link, over the file it
// points to. On any failure an existing target keeps its bytes and no other file is left
// behind. Only a missing target or a regular file this user may write is replaced: anything
// else (a folder, a device, a pipe) is refused before anything is created, and `produce` is
// then not called.
bool replaceFile(const std::filesystem::path& target,
                 const std::function<bool(OutputSink&)>& produce);

} // namespace qlx::io
