// Large blocks on POSIX systems: 2 MiB aligned and marked for transparent huge pages.
#include "app/platform_memory.h"

#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace qlx::app {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

} // namespace

void LargeBlockFree::operator()(void* block) const {
    std::free(block);
}

std::unique_ptr<std::byte[], LargeBlockFree> allocateLarge(std::size_t bytes) {
    void* block = nullptr;
    if (bytes >= 2 * kHugePage) {
        const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        block = std::aligned_alloc(kHugePage, rounded);
        if (block != nullptr) {
            // Only a hint: systems without huge pages ignore it.
            madvise(block, rounded, MADV_HUGEPAGE);
        }
    } else {
        block = std::malloc(bytes == 0 ? 1 : bytes);
    }
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return std::unique_ptr<std::byte[], LargeBlockFree>(static_cast<std::byte*>(block));
}

} // namespace qlx::app
