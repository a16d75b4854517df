// Memory for buffers of many megabytes: on POSIX systems aligned to and marked for huge pages,
// which makes the first touch of a large table cheaper; elsewhere the C runtime's heap.
#pragma once

#include <cstddef>
#include <memory>
#include <new>

namespace qlx::platform {

struct LargeBlockFree {
    void operator()(void* block) const;
};

using LargeBlock = std::unique_ptr<std::byte[], LargeBlockFree>;

// The system had no memory to give: how much was asked for.
class AllocationFailure : public std::bad_alloc {
public:
    explicit AllocationFailure(std::size_t bytes) : bytes_(bytes) {}
    std::size_t bytes() const { return bytes_; }

private:
    std::size_t bytes_;
};

// Uninitialised memory of at least `bytes` bytes, aligned for any record type. Throws
// AllocationFailure when the system has none to give.
LargeBlock allocateLarge(std::size_t bytes);

} // namespace qlx::platform
