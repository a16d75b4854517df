// Large blocks on Windows: the C runtime's heap, which is aligned for every record type.
#include "app/platform_memory.h"

#include <cstdlib>
#include <new>

namespace qlx::app {

void LargeBlockFree::operator()(void* block) const {
    std::free(block);
}

std::unique_ptr<std::byte[], LargeBlockFree> allocateLarge(std::size_t bytes) {
    void* block = std::malloc(bytes == 0 ? 1 : bytes);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return std::unique_ptr<std::byte[], LargeBlockFree>(static_cast<std::byte*>(block));
}

} // namespace qlx::app
