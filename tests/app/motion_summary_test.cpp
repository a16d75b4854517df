// A motion's summary against a count made the plain way: keys of every table, the frames of all of
// them, each bone name in the order it first appears with its keys, names in UTF-8.
#include "app/motion_summary.h"

#include "tests/support/motion_document.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace qlx::app {
namespace {

std::string utf8(std::u8string_view text) {
    return {text.begin(), text.end()};
}

TEST(MotionSummary, CountsAsAPlainCountDoes) {
    const char* const names[] = {"\x89\x45\x98\x72", "neck", "\x93\xAA", "a-very-long-nam"};
    std::mt19937 random(41);
    test::MotionDocument motion;
    motion.bones.resize(500);
    std::vector<std::pair<std::string, std::size_t>> expected;
    for (auto& key : motion.bones) {
        const std::string name = names[random() % 4];
        test::setName(key.name, name);
        key.frame = static_cast<std::int32_t>(random() % 1000);
        const auto seen =
            std::ranges::find(expected, name, &std::pair<std::string, std::size_t>::first);
        if (seen == expected.end()) {
            expected.emplace_back(name, 1);
        } else {
            ++seen->second;
        }
    }
    motion.lights.resize(2);
    motion.lights[1].frame = -7; // the first frame may be any table's
    motion.cameras.resize(1);
    motion.cameras[0].frame = 5000;
    const MotionSummary summary = summarize(test::viewOf(motion));
    EXPECT_EQ(summary.model, utf8(u8"森野ユラ"));
    EXPECT_EQ(std::tuple(summary.bones, summary.morphs, summary.cameras, summary.lights),
              std::tuple(500u, 0u, 1u, 2u));
    EXPECT_EQ(summary.frames, std::pair(-7, 5000));
    for (auto& [name, keys] : expected) {
        name = name == "neck" || name.starts_with('a') ? name
               : name == "\x93\xAA"                    ? utf8(u8"頭")
                                                       : utf8(u8"右腕");
    }
    EXPECT_EQ(summary.boneKeys, expected);
    EXPECT_FALSE(summarize(test::viewOf(test::MotionDocument{})).frames) << "no keys, no frames";
}

} // namespace
} // namespace qlx::app
