// An allocator for the record tables, which grow to hundreds of megabytes: their memory comes
// from the platform's large blocks.
#pragma once

#include "platform/memory.h"

#include <cstddef>
#include <vector>

namespace qlx::platform {

template <typename T> struct LargeAllocator {
    using value_type = T;

    LargeAllocator() = default;
    template <typename U>
    LargeAllocator(const LargeAllocator<U>&) {} // NOLINT: allocators convert implicitly

    T* allocate(std::size_t count) {
        return reinterpret_cast<T*>(platform::allocateLarge(count * sizeof(T)).release());
    }
    void deallocate(T* block, std::size_t) { platform::LargeBlockFree{}(block); }

    template <typename U> friend bool operator==(const LargeAllocator&, const LargeAllocator<U>&) {
        return true;
    }
};

template <typename T> using LargeVector = std::vector<T, LargeAllocator<T>>;

} // namespace qlx::platform
