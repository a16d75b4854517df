// Generated motions for the benchmarks and the round-trip tests: realistic ones (unit
// quaternions, a pool of bone and morph names with Japanese ones among them, frames up to 20000,
// keys in random order as baked files hold them), or edge-value ones that hold every kind of value
// the binary file can: names of any bytes a CSV cell can carry and of full width, frames over the
// whole signed range, infinities and NaN, arbitrary interpolation and camera-tail bytes.
#pragma once

#include "motion/document.h"

#include <cstddef>
#include <cstdint>

namespace qlx::test {

struct MotionShape {
    std::size_t bones = 0;
    std::size_t morphs = 0;
    std::size_t cameras = 0;
    std::size_t lights = 0;
    bool edgeValues = false;
};

motion::MotionDocument generateMotion(const MotionShape& shape, std::uint32_t seed = 1);

// `bones` bone keys, a tenth as many morph keys and a hundredth as many camera and light keys.
inline motion::MotionDocument generateMotion(std::size_t bones, std::uint32_t seed = 1) {
    return generateMotion({bones, bones / 10, bones / 100, bones / 100, false}, seed);
}

} // namespace qlx::test
