// A growable byte buffer that never fills memory it is about to overwrite: files of hundreds of
// megabytes are read into it, and CSV tables are built in it.
#pragma once

#include "platform/memory.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace qlx::io {

class Buffer {
public:
    Buffer() = default;

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    char* data() { return reinterpret_cast<char*>(data_.get()); }
    const char* data() const { return reinterpret_cast<const char*>(data_.get()); }
    std::string_view view() const { return {data(), size_}; }

    void reserve(std::size_t capacity) {
        if (capacity > capacity_) {
            auto bigger = platform::allocateLarge(capacity);
            if (size_ != 0) {
                std::memcpy(bigger.get(), data_.get(), size_);
            }
            data_ = std::move(bigger);
            capacity_ = capacity;
        }
    }
    // Makes room for `count` more bytes, left uninitialised, and returns where they start.
    char* extend(std::size_t count) {
        if (capacity_ - size_ < count) {
            reserve(std::max(size_ + count, 2 * capacity_));
        }
        char* out = data() + size_;
        size_ += count;
        return out;
    }
    void append(std::string_view bytes) {
        if (!bytes.empty()) {
            std::memcpy(extend(bytes.size()), bytes.data(), bytes.size());
        }
    }
    // Drops the bytes from `size` on; a larger `size` changes nothing.
    void truncate(std::size_t size) { size_ = size < size_ ? size : size_; }

private:
    platform::LargeBlock data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

} // namespace qlx::io
