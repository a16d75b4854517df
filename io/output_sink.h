// Gathers the bytes of an output into large writes, so that a writer may hand over pieces of any
// size, and remembers whether every write succeeded.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace qlx::io {

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

} // namespace qlx::io
