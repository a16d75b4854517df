// The motion document and the binary motion file: the version rule, the text fields, the
// layout, the sort on load, and byte identity of load and save.
#include "motion/motion_file.h"

#include "io/fixed_text.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace qlx::motion {
namespace {

using namespace std::string_literals;

template <std::size_t N> std::string bytesOf(const std::array<char, N>& field) {
    return {field.data(), N};
}

TEST(MotionDocument, VersionDecidesTheActiveModelName) {
    const struct {
        std::string suffix; // bytes 21-25
        std::optional<std::string> name;
    } cases[] = {{std::string("file\0", 5), "tavo"},
                 {std::string("0002\0", 5), "\x90\x58\x96\xEC\x83\x86\x83\x89"},
                 {std::string("0003\0", 5), std::nullopt},
                 {"0002 ", std::nullopt}};
    for (const auto& c : cases) {
        MotionDocument document;
        std::memcpy(document.magic.data(), "XXXXXXXXXXXXXXXXXXXXX", 21); // plays no part
        std::memcpy(document.magic.data() + 21, c.suffix.data(), 5);
        EXPECT_EQ(document.modelName(), c.name) << c.suffix;
        const MotionDocument before = document;
        document.setModelName("zz");
        EXPECT_EQ(document.modelName(), c.name ? std::optional<std::string>("zz") : std::nullopt);
        EXPECT_TRUE(c.name || (document.shortModelName == before.shortModelName &&
                               document.longModelName == before.longModelName));
        test::ScratchDir dir;
        EXPECT_EQ(save(document, dir / "m.qlx"), c.name.has_value()) << c.suffix;
    }
}

TEST(MotionDocument, TextFieldsKeepWhatFitsAndTheBytesAfterIt) {
    const struct {
        bool legacy;
        std::string text;
        std::string field; // after setting twenty x first
    } cases[] = {{false, "ab", std::string("ab\0", 3) + std::string(17, 'x')},
                 {false, std::string(19, 'a'), std::string(19, 'a') + '\0'},
                 {false, std::string(25, 'a'), std::string(20, 'a')},
                 {false, std::string("a\0b", 3), std::string("a\0", 2) + std::string(18, 'x')},
                 {true, std::string(9, 'a'), std::string(9, 'a') + '\0'},
                 {true, std::string(25, 'a'), std::string(10, 'a')}};
    for (const auto& c : cases) {
        MotionDocument document;
        std::memcpy(document.magic.data() + 21, c.legacy ? "file" : "0002", 5);
        document.setModelName(std::string(20, 'x'));
        document.setModelName(c.text);
        EXPECT_EQ(c.legacy ? bytesOf(document.shortModelName) : bytesOf(document.longModelName),
                  c.field);
    }
    const std::string base = "Quorlane Motion Data ";
    for (const auto& [text, magic] :
         {std::pair<std::string, std::string>("abc", "abc\0lane Motion Data 0002\0"s),
          {base, base + "\0"
                        "002\0"s},
          {base + "file and more", base + "file\0"s}}) {
        MotionDocument document;
        setMagic(document, text);
        EXPECT_EQ(bytesOf(document.magic), magic) << text;
    }
}

TEST(MotionFile, LoadSortsSaveKeepsOrderAndBothVersionsRoundTrip) {
    test::ScratchDir dir;
    ASSERT_TRUE(save(MotionDocument{}, dir / "default.qlx"));
    EXPECT_EQ(test::readBytes(dir / "default.qlx"), "Quorlane Motion Data 0002\0\0\0\0\0"s +
                                                        std::string(kDefaultModelName) +
                                                        std::string(28, '\0'));
    for (const bool legacy : {true, false}) {
        MotionDocument document;
        std::memcpy(document.magic.data() + 21, legacy ? "file" : "0002", 5);
        document.headerWord = 0x11223344;
        document.setModelName(legacy ? "short" : "a long model name!!!");
        const std::vector<std::pair<std::string, int>> bones = {
            {"B", 5},  {"A", 10},    {"\x90\x58", 0},        {"A", 2},
            {"A", -1}, {"AB", -100}, {"abcdefghijklmno", 3}, {"abcdefghijklmnn", 9}};
        for (const auto& [name, frame] : bones) {
            BoneKey& key = document.bones.emplace_back();
            test::setName(key.name, name);
            key.frame = frame;
            key.position[0] = static_cast<float>(frame);
        }
        document.bones[3].name[2] = 'Z'; // after the NUL of an "A": no part in the order
        for (const auto* name : {"x", "y", "z"}) {
            test::setName(document.morphs.emplace_back().name, name);
            document.morphs.back().frame = name[0] == 'y' ? 1 : 5;
        }
        document.cameras.resize(2);
        document.cameras[1].frame = -1;
        document.lights.resize(1);
        ASSERT_TRUE(save(document, dir / "m.qlx"));
        const std::string bytes = test::readBytes(dir / "m.qlx");
        EXPECT_EQ(bytes.size(), 30 + (legacy ? 10 : 20) + 16 + 8 * 111 + 3 * 23 + 2 * 61 + 28);
        EXPECT_EQ(bytes.substr(26, 4), "\x44\x33\x22\x11");
        test::writeBytes(dir / "m.qlx", bytes + "ignored");

        MotionDocument loaded;
        ASSERT_TRUE(load(loaded, dir / "m.qlx"));
        EXPECT_EQ(loaded.headerWord, 0x11223344);
        EXPECT_EQ(loaded.modelName(), legacy ? "short" : "a long model name!!!");
        std::string order;
        for (const auto& key : loaded.bones) {
            order += std::string(io::fieldText(key.name)) + std::to_string(key.frame.get()) + " ";
            EXPECT_EQ(key.position[0].get(), static_cast<float>(key.frame.get())) << "moved whole";
        }
        for (const auto& key : loaded.morphs) { // equal frames keep their file order
            order += io::fieldText(key.name);
        }
        EXPECT_EQ(order, "A-1 A2 A10 AB-100 B5 abcdefghijklmnn9 abcdefghijklmno3 \x90\x58"
                         "0 yxz");
        EXPECT_EQ(loaded.cameras[0].frame.get(), -1);
        ASSERT_TRUE(save(loaded, dir / "again.qlx"));
        MotionDocument again;
        ASSERT_TRUE(load(again, dir / "again.qlx"));
        ASSERT_TRUE(save(again, dir / "m.qlx"));
        EXPECT_EQ(test::readBytes(dir / "again.qlx"), test::readBytes(dir / "m.qlx"));
    }
}

} // namespace
} // namespace qlx::motion
