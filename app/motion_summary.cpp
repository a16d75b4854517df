// A motion's summary, from its tables as the file holds them.
#include "app/motion_summary.h"

#include "csv/text_encoding.h"
#include "text/fixed_text.h"

#include <algorithm>
#include <span>
#include <string_view>
#include <unordered_map>

namespace qlx::app {

namespace {

template <typename Key>
void spanFrames(std::span<const Key> keys,
                std::optional<std::pair<std::int32_t, std::int32_t>>& frames) {
    for (const Key& key : keys) {
        const std::int32_t frame = key.frame.get();
        frames = frames ? std::pair(std::min(frames->first, frame), std::max(frames->second, frame))
                        : std::pair(frame, frame);
    }
}

} // namespace

MotionSummary summarize(const motion::MotionView& motion) {
    MotionSummary summary;
    summary.model = csv::utf8FromShiftJis(motion.modelName().value_or(""));
    summary.bones = motion.bones.size();
    summary.morphs = motion.morphs.size();
    summary.cameras = motion.cameras.size();
    summary.lights = motion.lights.size();
    spanFrames(motion.bones, summary.frames);
    spanFrames(motion.morphs, summary.frames);
    spanFrames(motion.cameras, summary.frames);
    spanFrames(motion.lights, summary.frames);
    std::unordered_map<std::string_view, std::size_t> index;
    std::vector<std::pair<std::string_view, std::size_t>> counted;
    for (const motion::BoneKey& key : motion.bones) {
        const std::string_view name = text::fieldText(key.name);
        const auto [at, added] = index.try_emplace(name, counted.size());
        if (added) {
            counted.emplace_back(name, 0);
        }
        ++counted[at->second].second;
    }
    for (const auto& [name, keys] : counted) {
        summary.boneKeys.emplace_back(csv::utf8FromShiftJis(name), keys);
    }
    return summary;
}

} // namespace qlx::app
