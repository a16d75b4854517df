// The key order of a document's tables as record indices, so that a reader takes the records in
// order where they lie instead of moving them: bones by name (unsigned bytes up to the first
// NUL) then signed frame, the other tables by signed frame; equal keys keep their file order.
#pragma once

#include "motion/motion_view.h"
#include "platform/large_vector.h"

#include <cstdint>

namespace qlx::motion {

struct KeyOrder {
    platform::LargeVector<std::uint32_t> bones;
    platform::LargeVector<std::uint32_t> morphs;
    platform::LargeVector<std::uint32_t> cameras;
    platform::LargeVector<std::uint32_t> lights;
};

// Counts come from 32-bit fields, so every index fits in 32 bits.
KeyOrder keyOrder(const MotionView& motion);

} // namespace qlx::motion
