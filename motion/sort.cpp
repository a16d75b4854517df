// Puts loaded keyframe tables in key order. Records are large and a sort would move each many
// times, so small keys carrying the record's index are sorted and each record moves once.
#include "motion/motion_file.h"

#include <algorithm>
#include <cstdint>
#include <tuple>

namespace qlx::motion {

namespace {

// Flips the sign bit so signed frames order as unsigned integers.
std::uint32_t frameKey(const Int32& frame) {
    return static_cast<std::uint32_t>(frame.get()) ^ 0x80000000u;
}

// Puts record `indexOf(keys[i])` at position i, following each cycle of the permutation so that
// every record moves once and no second table is needed.
template <typename Record, typename Key, typename IndexOf>
void permute(io::LargeVector<Record>& table, const io::LargeVector<Key>& keys, IndexOf indexOf) {
    std::vector<bool> placed(table.size());
    for (std::size_t start = 0; start < table.size(); ++start) {
        if (placed[start] || indexOf(keys[start]) == start) {
            continue;
        }
        const Record first = table[start];
        std::size_t hole = start;
        for (;;) {
            placed[hole] = true;
            const std::size_t source = indexOf(keys[hole]);
            if (source == start) {
                table[hole] = first;
                break;
            }
            table[hole] = table[source];
            hole = source;
        }
    }
}

// The index breaks ties, which keeps equal keys in file order.
template <typename Record> void sortByFrame(io::LargeVector<Record>& table) {
    io::LargeVector<std::uint64_t> keys(table.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        keys[i] = std::uint64_t{frameKey(table[i].frame)} << 32 | i;
    }
    std::sort(keys.begin(), keys.end());
    permute(table, keys,
            [](std::uint64_t key) { return static_cast<std::size_t>(key & 0xFFFFFFFFu); });
}

struct BoneSortKey {
    std::uint64_t head;  // name bytes 0-7, first byte most significant
    std::uint64_t tail;  // name bytes 8-14, then a zero byte
    std::uint32_t frame; // sign-flipped frame
    std::uint32_t index;
    friend bool operator<(const BoneSortKey& a, const BoneSortKey& b) {
        return std::tie(a.head, a.tail, a.frame, a.index) <
               std::tie(b.head, b.tail, b.frame, b.index);
    }
};

// Bytes after a name's first NUL read as zero, so comparing all 15 bytes as big-endian numbers
// orders names as NUL-terminated unsigned byte strings, the shorter first.
BoneSortKey boneSortKey(const BoneKey& key, std::uint32_t index) {
    std::uint64_t words[2] = {0, 0};
    for (std::size_t i = 0; i < key.name.size() && key.name[i] != '\0'; ++i) {
        words[i / 8] |= std::uint64_t{static_cast<std::uint8_t>(key.name[i])} << (56 - 8 * (i % 8));
    }
    return {words[0], words[1], frameKey(key.frame), index};
}

} // namespace

void sortTables(MotionDocument& document) {
    // Counts come from 32-bit fields, so an index always fits in 32 bits.
    io::LargeVector<BoneSortKey> boneKeys(document.bones.size());
    for (std::size_t i = 0; i < boneKeys.size(); ++i) {
        boneKeys[i] = boneSortKey(document.bones[i], static_cast<std::uint32_t>(i));
    }
    std::sort(boneKeys.begin(), boneKeys.end());
    permute(document.bones, boneKeys,
            [](const BoneSortKey& key) { return std::size_t{key.index}; });

    sortByFrame(document.morphs);
    sortByFrame(document.cameras);
    sortByFrame(document.lights);
}

} // namespace qlx::motion
