// What people would rather see of a motion than read: its model name, the keys of each table, the
// frames they span, and each bone with its count of keys.
#pragma once

#include "motion/motion_view.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qlx::app {

struct MotionSummary {
    std::string model; // UTF-8, through the program's own code page 932 table
    std::size_t bones = 0;
    std::size_t morphs = 0;
    std::size_t cameras = 0;
    std::size_t lights = 0;
    std::optional<std::pair<std::int32_t, std::int32_t>> frames; // first and last, with any key
    // Each bone name (UTF-8) and its count of keys, in the order the names first appear.
    std::vector<std::pair<std::string, std::size_t>> boneKeys;
};

MotionSummary summarize(const motion::MotionView& motion);

} // namespace qlx::app
