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

// Runs `work`; where memory runs out inside it, on any thread of its jobs, gives what `exhausted`
// makes of how much was asked for (0 where that is not known). The one place that catches: a
// build without exceptions replaces it alone.
template <typename Work, typename Exhausted>
auto exhaustionAs(Work work, Exhausted exhausted) -> decltype(work()) {
    try {
        return work();
    } catch (const AllocationFailure& failure) {
        return exhausted(failure.bytes());
    } catch (const std::bad_alloc&) {
        return exhausted(std::size_t{0});
    }
}

} // namespace qlx::platform
