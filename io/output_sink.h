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
    // Gathers up to `capacity` bytes before it flushes them; 0 flushes every write as it comes.
    // The buffer grows with what is written, so a small output costs little.
    explicit OutputSink(Flush flush, std::size_t capacity = std::size_t{1} << 20)
        : flush_(std::move(flush)), capacity_(capacity) {}
    void write(std::string_view bytes);
    void write(std::span<const std::byte> bytes) {
        write(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    // Writes what is gathered; false when any write so far failed.
    bool finish();

private:
    Flush flush_;
    std::size_t capacity_;
    std::vector<char> buffer_;
    bool failed_ = false;
};

} // namespace qlx::io
