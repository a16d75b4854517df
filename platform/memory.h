// Memory for buffers of many megabytes, and what happens when the system has none to give: the
// one place that knows how exhausted memory is caught, so that a build without exceptions (the
// browser's) replaces a platform member and nothing above it.
#pragma once

#include "platform/expected.h"

#include <cstddef>
#include <functional>
#include <memory>

namespace qlx::platform {

struct LargeBlockFree {
    void operator()(void* block) const;
};

using LargeBlock = std::unique_ptr<std::byte[], LargeBlockFree>;

// Uninitialised memory of at least `bytes` bytes, aligned for any record type: on POSIX systems
// aligned to and marked for huge pages, which makes the first touch of a large table cheaper.
LargeBlock allocateLarge(std::size_t bytes);

// Memory ran out: how much was asked for (0 where that is not known).
struct MemoryRanOut {
    std::size_t bytes;
};

// Ends the work that `whileMemoryLasts` runs: `bytes` could not be had.
[[noreturn]] void runOutOfMemory(std::size_t bytes);

// Runs `work`, or says how much was asked for where memory ran out inside it, on any thread of its
// jobs. In the browser the module ends instead, and the page says so.
Expected<void, MemoryRanOut> whileMemoryLasts(const std::function<void()>& work);

} // namespace qlx::platform
