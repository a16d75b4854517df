// Where a conversion whose memory ran out ends: with a report of it, every file as it was.
#pragma once

#include "convert/report.h"
#include "platform/memory.h"

#include <new>

namespace qlx::convert {

// Runs the conversion; exhausted memory unwinds to here and ends the run cleanly, with how much
// was asked for where it is known.
template <typename Convert> Report reportingMemory(Convert convert) {
    try {
        return convert();
    } catch (const platform::AllocationFailure& failure) {
        return {Status::OutOfMemory, MemoryExhausted{failure.bytes()}, {}};
    } catch (const std::bad_alloc&) {
        return {Status::OutOfMemory, MemoryExhausted{0}, {}};
    }
}

} // namespace qlx::convert
