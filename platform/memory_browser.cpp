// Memory in the browser: the module's own heap, and no exceptions to carry its exhaustion up. Where
// memory runs out the module ends itself with an exit code that is how much was asked for; the
// page, which drops the module then, reports it as the command line does.
#include "platform/memory.h"

#include <cstdlib>
#include <new>
#include <wasi/api.h>

namespace qlx::platform {

void runOutOfMemory(std::size_t bytes) {
    __wasi_proc_exit(static_cast<__wasi_exitcode_t>(bytes));
}

Expected<void, MemoryRanOut> whileMemoryLasts(const std::function<void()>& work) {
    work();
    return {};
}

} // namespace qlx::platform

// Every allocation of the library's containers ends as the platform's do where memory runs out,
// not in an abort that would not say how much was asked for.
void* operator new(std::size_t bytes) {
    void* block = std::malloc(bytes == 0 ? 1 : bytes);
    if (block == nullptr) {
        qlx::platform::runOutOfMemory(bytes);
    }
    return block;
}

void* operator new[](std::size_t bytes) {
    return ::operator new(bytes);
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete[](void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}
