// Memory for buffers of many megabytes: on POSIX systems aligned to and marked for huge pages,
// which makes the first touch of a large table cheaper; elsewhere the C runtime's heap.
#pragma once

#include <cstddef>
#include <memory>

namespace qlx::platform {

struct LargeBlockFree {
    void operator()(void* block) const;
};

using LargeBlock = std::unique_ptr<std::byte[], LargeBlockFree>;

// Uninitialised memory of at least `bytes` bytes, aligned for any record type. Throws
// std::bad_alloc when the system has none to give.
LargeBlock allocateLarge(std::size_t bytes);

} // namespace qlx::platform
