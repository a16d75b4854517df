// Exhausted memory where there are exceptions: thrown where it runs out, caught in one place.
#include "platform/memory.h"

#include <new>

namespace qlx::platform {

namespace {

class AllocationFailure : public std::bad_alloc {
public:
    explicit AllocationFailure(std::size_t bytes) : bytes_(bytes) {}
    std::size_t bytes() const { return bytes_; }

private:
    std::size_t bytes_;
};

} // namespace

void runOutOfMemory(std::size_t bytes) {
    throw AllocationFailure(bytes);
}

Expected<void, MemoryRanOut> whileMemoryLasts(const std::function<void()>& work) {
    try {
        work();
        return {};
    } catch (const AllocationFailure& failure) {
        return unexpected(MemoryRanOut{failure.bytes()});
    } catch (const std::bad_alloc&) {
        return unexpected(MemoryRanOut{0});
    }
}

} // namespace qlx::platform
