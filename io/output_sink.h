// Gathers the bytes of an output into large writes, so that a writer may hand over pieces of any
// size, and hands them to the one place each kind of output puts them (its `put`). A failed put
// is kept for `finish`, which every output calls before it counts as written.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace qlx::io {

class OutputSink {
public:
    OutputSink(const OutputSink&) = delete;
    OutputSink& operator=(const OutputSink&) = delete;
    virtual ~OutputSink() = default;

    void write(std::string_view bytes);
    void write(std::span<const std::byte> bytes) {
        write(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    // Puts what is gathered; false when any put so far failed.
    bool finish();

protected:
    // Gathers up to `capacity` bytes before it puts them; 0 puts every write as it comes. The
    // buffer grows with what is written, so a small output costs little.
    explicit OutputSink(std::size_t capacity = std::size_t{1} << 20) : capacity_(capacity) {}

private:
    // Where this output keeps its bytes: false when they could not be kept.
    virtual bool put(std::string_view bytes) = 0;

    std::size_t capacity_;
    std::vector<char> buffer_;
    bool failed_ = false;
};

} // namespace qlx::io
