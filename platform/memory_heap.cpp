// Large blocks from the C runtime's heap, which is aligned for every record type: on Windows and
// in the browser.
#include "platform/memory.h"

#include <cstdlib>
#include <new>

namespace qlx::platform {

void LargeBlockFree::operator()(void* block) const {
    std::free(block);
}

LargeBlock allocateLarge(std::size_t bytes) {
    void* block = std::malloc(bytes == 0 ? 1 : bytes);
    if (block == nullptr) {
        runOutOfMemory(bytes);
    }
    return LargeBlock(static_cast<std::byte*>(block));
}

} // namespace qlx::platform
