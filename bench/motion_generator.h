// Realistic motions for the benchmarks: unit quaternions, a pool of bone and morph names with
// Japanese ones among them, frames up to 20000, keys in random order as baked files hold them.
#pragma once

#include "motion/document.h"

#include <cstddef>
#include <cstdint>

namespace qlx::bench {

// `bones` bone keys, a tenth as many morph keys and a hundredth as many camera and light keys.
motion::MotionDocument generateMotion(std::size_t bones, std::uint32_t seed = 1);

} // namespace qlx::bench
