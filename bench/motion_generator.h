// Generated motions for the benchmarks, shaped like baked ones: unit quaternions, a pool of bone
// and morph names with Japanese ones among them, frames up to 20000, keys in random order.
#pragma once

#include "motion/motion_view.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace qlx::bench {

// Bone names from a pool of a hundred, as a rig has them; each key its own printable name; or
// each its own name and all of one value of the hash an earlier key order used (a published
// constant, so anyone could make them), which made that order quadratic.
enum class BoneNames : std::uint8_t { Pool, Distinct, Crafted };

struct MotionShape {
    std::size_t bones, morphs, cameras, lights;
    BoneNames names = BoneNames::Pool;
};

// `bones` bone keys, a tenth as many morph keys and a hundredth as many camera and light keys.
inline MotionShape benchmarkShape(std::size_t bones) {
    return {bones, bones / 10, bones / 100, bones / 100};
}

// Writes a motion of that shape to `path`, as a motion file; false when it cannot.
bool writeMotion(const MotionShape& shape, const std::filesystem::path& path,
                 std::uint32_t seed = 1);

} // namespace qlx::bench
