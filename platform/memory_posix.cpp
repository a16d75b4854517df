// Large blocks on POSIX systems: 2 MiB aligned and marked for transparent huge pages.
#include "platform/memory.h"

#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace qlx::platform {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

} // namespace

void LargeBlockFree::operator()(void* block) const {
    std::free(block);
}

LargeBlock allocateLarge(std::size_t bytes) {
    void* block = nullptr;
    if (bytes >= 2 * kHugePage) {
        const std::size_t whole = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        block = std::aligned_alloc(kHugePage, whole);
        if (block != nullptr) {
            // Only a hint: systems without huge pages ignore it.
            madvise(block, whole, MADV_HUGEPAGE);
        }
    } else {
        block = std::malloc(bytes == 0 ? 1 : bytes);
    }
    if (block == nullptr) {
        runOutOfMemory(bytes);
    }
    return LargeBlock(static_cast<std::byte*>(block));
}

} // namespace qlx::platform
