// The motion document and the binary motion file: the version rule, the text fields, the layout,
// the key order, and byte identity of load and save.
#include "motion/key_order.h"
#include "motion/motion_file.h"

#include "text/fixed_text.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <tuple>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <random>

namespace qlx::motion {
namespace {

using namespace std::string_literals;

MotionDocument ofVersion(const char* suffix) { // bytes 21-25 of the signature
    MotionDocument document;
    std::memcpy(document.magic.data() + kVersionOffset, suffix, 5);
    return document;
}

std::string savedBytes(const MotionDocument& document) {
    const test::ScratchDir dir;
    return save(document, dir / "m.qlx") ? test::readBytes(dir / "m.qlx") : "not saved";
}

template <std::size_t N> std::string bytesOf(const std::array<char, N>& field) {
    return {field.data(), N};
}

TEST(MotionDocument, VersionDecidesTheActiveModelName) {
    const std::vector<std::pair<const char*, std::optional<std::string>>> cases = {
        {"file", "tavo"}, {"0002", std::string(kDefaultModelName)}, {"0003", {}}, {"0002 ", {}}};
    for (const auto& [suffix, name] : cases) {
        MotionDocument document = ofVersion(suffix);
        std::memset(document.magic.data(), 'X', 21); // plays no part
        EXPECT_EQ(document.modelName(), name) << suffix;
        const MotionDocument before = document;
        document.setModelName("zz");
        EXPECT_EQ(document.modelName(), name ? std::optional<std::string>("zz") : std::nullopt);
        EXPECT_TRUE(name || (document.shortModelName == before.shortModelName &&
                             document.longModelName == before.longModelName));
        EXPECT_EQ(savedBytes(document) != "not saved", name.has_value()) << suffix;
    }
}

TEST(MotionDocument, TextFieldsKeepWhatFitsAndTheBytesAfterIt) {
    // The field afterwards, when it held twenty x first.
    const std::vector<std::tuple<const char*, std::string, std::string>> cases = {
        {"0002", "ab", "ab\0"s + std::string(17, 'x')},
        {"0002", std::string(19, 'a'), std::string(19, 'a') + '\0'},
        {"0002", std::string(25, 'a'), std::string(20, 'a')},
        {"0002", "a\0b"s, "a\0"s + std::string(18, 'x')},
        {"file", std::string(9, 'a'), std::string(9, 'a') + '\0'},
        {"file", std::string(25, 'a'), std::string(10, 'a')}};
    for (const auto& [suffix, text, field] : cases) {
        MotionDocument document = ofVersion(suffix);
        document.setModelName(std::string(20, 'x'));
        document.setModelName(text);
        EXPECT_EQ(suffix[0] == 'f' ? bytesOf(document.shortModelName)
                                   : bytesOf(document.longModelName),
                  field);
    }
    const std::string base = "Quorlane Motion Data ";
    const std::vector<std::pair<std::string, std::string>> magics = {
        {"abc", "abc\0lane Motion Data 0002\0"s},
        {base, base + "\0"
                      "002\0"s},
        {base + "file and more", base + "file\0"s}};
    for (const auto& [text, magic] : magics) {
        MotionDocument document;
        setMagic(document, text);
        EXPECT_EQ(bytesOf(document.magic), magic) << text;
    }
}

// Load and save keep every byte in file order, the bytes after the light keys included.
TEST(MotionFile, LoadAndSaveKeepEveryByte) {
    const std::string empty = "Quorlane Motion Data 0002\0\0\0\0\0"s +
                              std::string(kDefaultModelName) + std::string(28, '\0');
    EXPECT_EQ(savedBytes(MotionDocument{}), empty);
    // Bytes that end where a count would begin hold no more keys; inside a count they are no
    // motion.
    for (std::size_t size = 0; size <= empty.size(); ++size) {
        const auto view = parseMotion(std::as_bytes(std::span(empty).first(size)));
        const std::size_t counts = kHeaderSize + 20; // where the first count begins
        EXPECT_EQ(view.has_value(), size >= counts && (size - counts) % 4 == 0) << size;
    }
    for (const char* suffix : {"file", "0002"}) {
        MotionDocument document = ofVersion(suffix);
        document.headerWord = 0x11223344;
        document.setModelName("a long model name!!!");
        for (const int frame : {5, -1}) { // records in file order, whatever their keys
            test::setName(document.bones.emplace_back().name, "abcdefghijklmno");
            document.bones.back().frame = frame;
            document.morphs.emplace_back().frame = frame;
            document.cameras.emplace_back().frame = frame;
        }
        document.morphs.back().weight = 0.5f;
        document.lights.resize(1);
        for (const char c : "after the lights") {
            document.tail.push_back(std::byte(c));
        }
        const std::string bytes = savedBytes(document);
        EXPECT_EQ(bytes.size(),
                  30 + (suffix[0] == 'f' ? 10 : 20) + 16 + 2 * 111 + 2 * 23 + 2 * 61 + 28 + 17);
        EXPECT_EQ(bytes.substr(kMagicSize, 4), "\x44\x33\x22\x11");
        const auto view = parseMotion(std::as_bytes(std::span(bytes)));
        ASSERT_TRUE(view);
        const MotionDocument loaded = documentOf(*view);
        EXPECT_EQ(loaded.modelName(), document.modelName());
        EXPECT_EQ(savedBytes(loaded), bytes);
    }
}

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
