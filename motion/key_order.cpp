// The key order of a motion's tables: each bone name ranked among the distinct names through a
// hash map keyed afresh each run, then 64-bit keys (the rank, the frame) sorted with their record
// index by a stable radix sort, in time linear in the keys whatever the names. A table of a few
// keys is sorted by comparison, which costs less than the radix sort's counts and ranks.
#include "motion/key_order.h"

#include "platform/process.h"
#include "text/fixed_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <numeric>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qlx::motion {

namespace {

// Below this many keys a table is sorted by comparison.
constexpr std::size_t kFewKeys = 256;

struct SortItem {
    std::uint64_t key;
    std::uint32_t index;
};

// Flips the sign bit so signed frames order as unsigned integers.
std::uint64_t frameKey(const Int32& frame) {
    return static_cast<std::uint32_t>(frame.get()) ^ 0x80000000u;
}

// Least significant byte first; a byte that every key shares is skipped.
platform::LargeVector<std::uint32_t> sortedIndices(platform::LargeVector<SortItem>& items) {
    std::array<std::array<std::uint32_t, 256>, 8> counts{};
    for (const auto& item : items) {
        for (std::size_t d = 0; d < 8; ++d) {
            ++counts[d][(item.key >> (8 * d)) & 0xFF];
        }
    }
    platform::LargeVector<SortItem> scratch;
    for (std::size_t d = 0; d < 8 && !items.empty(); ++d) {
        const std::size_t shift = 8 * d;
        if (counts[d][(items[0].key >> shift) & 0xFF] == items.size()) {
            continue;
        }
        std::exclusive_scan(counts[d].begin(), counts[d].end(), counts[d].begin(), 0u);
        scratch.resize(items.size());
        for (const auto& item : items) {
            scratch[counts[d][(item.key >> shift) & 0xFF]++] = item;
        }
        items.swap(scratch);
    }
    platform::LargeVector<std::uint32_t> order(items.size());
    std::ranges::transform(items, order.begin(), &SortItem::index);
    return order;
}

// The indices 0 to count - 1, sorted by the 64-bit key that `keyOf` gives each.
template <typename KeyOf>
platform::LargeVector<std::uint32_t> radixOrder(std::size_t count, KeyOf keyOf) {
    platform::LargeVector<SortItem> items(count);
    for (std::size_t i = 0; i < count; ++i) {
        items[i] = {keyOf(i), static_cast<std::uint32_t>(i)};
    }
    return sortedIndices(items);
}

// The same for a few keys of any kind that compares; equal keys keep their order by index, as a
// stable sort would keep them, without its buffer.
template <typename KeyOf>
platform::LargeVector<std::uint32_t> fewOrder(std::size_t count, KeyOf keyOf) {
    platform::LargeVector<std::uint32_t> order(count);
    std::iota(order.begin(), order.end(), 0u);
    std::ranges::sort(order, {}, [&](std::uint32_t i) { return std::pair(keyOf(i), i); });
    return order;
}

template <typename Record>
platform::LargeVector<std::uint32_t> frameOrder(std::span<const Record> table) {
    const auto key = [&](std::size_t i) { return frameKey(table[i].frame); };
    return table.size() < kFewKeys ? fewOrder(table.size(), key) : radixOrder(table.size(), key);
}

// A name as two big-endian words, zero after its first NUL: comparing the words compares the
// names as NUL-terminated unsigned byte strings, the shorter first.
using NameWords = std::pair<std::uint64_t, std::uint64_t>;

NameWords nameWords(const BoneKey& key) {
    std::array<char, 16> bytes{};
    const std::string_view name = text::fieldText(key.name);
    name.copy(bytes.data(), name.size());
    std::uint64_t words[2];
    std::memcpy(words, bytes.data(), sizeof words);
    if constexpr (std::endian::native == std::endian::little) {
        return {__builtin_bswap64(words[0]), __builtin_bswap64(words[1])};
    }
    return {words[0], words[1]};
}

// A name's hash, keyed afresh each run: names made to fall into one bucket of a hash that any
// reader of this code could work out would make the ranking quadratic.
struct NameHash {
    std::uint64_t key;
    // A mixer that spreads every bit of its input over the whole word.
    static std::uint64_t mix(std::uint64_t x) {
        x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
        x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
        return x ^ (x >> 31);
    }
    std::size_t operator()(const NameWords& words) const {
        return static_cast<std::size_t>(mix(mix(words.first ^ key) ^ words.second));
    }
};

// Each bone's name as its rank among the distinct names, which are few beside the keys.
platform::LargeVector<std::uint32_t> nameRanks(std::span<const BoneKey> bones) {
    std::unordered_map<NameWords, std::uint32_t, NameHash> ids(0,
                                                               NameHash{platform::unguessable()});
    platform::LargeVector<std::uint32_t> ranks(bones.size());
    for (std::size_t i = 0; i < bones.size(); ++i) {
        const auto id = static_cast<std::uint32_t>(ids.size());
        ranks[i] = ids.try_emplace(nameWords(bones[i]), id).first->second;
    }
    std::vector<std::pair<NameWords, std::uint32_t>> byName(ids.begin(), ids.end());
    std::ranges::sort(byName);
    std::vector<std::uint32_t> rankOf(byName.size());
    for (std::uint32_t rank = 0; rank < byName.size(); ++rank) {
        rankOf[byName[rank].second] = rank;
    }
    for (auto& rank : ranks) {
        rank = rankOf[rank];
    }
    return ranks;
}

platform::LargeVector<std::uint32_t> boneOrder(std::span<const BoneKey> bones) {
    if (bones.size() < kFewKeys) {
        return fewOrder(bones.size(), [&](std::size_t i) {
            return std::pair(nameWords(bones[i]), frameKey(bones[i].frame));
        });
    }
    const auto ranks = nameRanks(bones);
    return radixOrder(bones.size(), [&](std::size_t i) {
        return std::uint64_t{ranks[i]} << 32 | frameKey(bones[i].frame);
    });
}

} // namespace

KeyOrder keyOrder(const MotionView& motion) {
    return {boneOrder(motion.bones), frameOrder(motion.morphs), frameOrder(motion.cameras),
            frameOrder(motion.lights)};
}

} // namespace qlx::motion
