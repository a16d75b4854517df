// Memory for buffers of many megabytes. Touching fresh memory page by page costs more than a
// whole conversion on some systems, so where the system offers huge pages these blocks use them.
// Part of the platform layer; the rest of the program sees only this interface.
#pragma once

#include <cstddef>
#include <memory>

namespace qlx::app {

struct LargeBlockFree {
    void operator()(void* block) const;
};

// Uninitialised memory of at least `bytes` bytes, aligned for any record type. Exhausted memory
// ends the program, as everywhere else.
std::unique_ptr<std::byte[], LargeBlockFree> allocateLarge(std::size_t bytes);

} // namespace qlx::app
