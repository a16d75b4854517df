// The key order against a stable sort of the same keys.
#include "motion/key_order.h"

#include "tests/support/motion_document.h"
#include "tests/support/support.h"
#include "text/fixed_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

namespace qlx::motion {
namespace {

using test::MotionDocument;

// The key order against a stable sort of the same keys: bones by name as unsigned bytes up to the
// NUL, then signed frame; the other tables by frame; equal keys in file order. Tables of many keys
// and of a few, which are sorted differently.
TEST(KeyOrder, IsTheStableSortOfTheKeys) {
    std::mt19937 random(2026);
    std::vector<std::array<char, 15>> names(300); // more than one radix digit's worth
    for (auto& name : names) {
        std::ranges::generate(name, [&] { return static_cast<char>(random() % 4 ? random() : 0); });
    }
    const auto frame = [&](std::uint32_t spread) {
        return static_cast<std::int32_t>(random() % (2 * spread + 1) - spread);
    };
    const auto sorted = [](const auto& table, auto key) {
        std::vector<std::uint32_t> indices(table.size());
        std::iota(indices.begin(), indices.end(), 0u);
        std::ranges::stable_sort(indices, {}, [&](std::uint32_t i) { return key(table[i]); });
        return indices;
    };
    for (const std::size_t keys : std::array<std::size_t, 4>{120000, 255, 256, 7}) {
        MotionDocument document;
        document.bones.resize(keys);
        for (auto& key : document.bones) {
            key.name = names[random() % names.size()];
            key.frame = frame(40);
        }
        document.morphs.resize(keys / 2);
        for (auto& key : document.morphs) {
            key.frame = frame(keys < 1000 ? 3 : 1 << 30);
        }
        const KeyOrder order = keyOrder(viewOf(document));
        EXPECT_TRUE(std::ranges::equal(
            order.bones, sorted(document.bones,
                                [](const BoneKey& key) {
                                    return std::pair(text::fieldText(key.name), key.frame.get());
                                })))
            << keys;
        EXPECT_TRUE(std::ranges::equal(
            order.morphs,
            sorted(document.morphs, [](const MorphKey& key) { return key.frame.get(); })))
            << keys;
        EXPECT_TRUE(order.cameras.empty() && order.lights.empty());
    }
}

} // namespace
} // namespace qlx::motion
