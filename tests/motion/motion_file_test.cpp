// The motion document and the binary motion file: the version rule, the model-name fields, the
// layout, the sort on load, byte identity of load and save, and refusal of untrusted files.
#include "motion/motion_file.h"

#include "io/fixed_text.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>

namespace qlx::motion {
namespace {

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
    }
}

TEST(MotionDocument, TextFieldsKeepWhatFitsAndTheBytesAfterIt) {
    const std::string x(20, 'x');
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
        document.setModelName(x);
        document.setModelName(c.text);
        EXPECT_EQ(c.legacy ? bytesOf(document.shortModelName) : bytesOf(document.longModelName),
                  c.field);
    }
    const std::string base = "Quorlane Motion Data ";
    const struct {
        std::string text;
        MotionVersion version;
        std::string magic;
    } signatures[] = {
        {"abc", MotionVersion::Current, std::string("abc\0lane Motion Data 0002\0", 26)},
        {base, MotionVersion::Unrecognised,
         base + std::string("\0"
                            "002\0",
                            5)},
        {base + "file and more", MotionVersion::Legacy, base + std::string("file\0", 5)}};
    for (const auto& c : signatures) {
        MotionDocument document;
        setMagic(document, c.text);
        EXPECT_EQ(document.version(), c.version) << c.text;
        EXPECT_EQ(bytesOf(document.magic), c.magic) << c.text;
    }
}

// File images built field by field, independently of `save`.
struct FileImage {
    std::string bytes;
    explicit FileImage(bool legacy) {
        text(legacy ? "Quorlane Motion Data file" : "Quorlane Motion Data 0002", 26);
        u32(0x11223344);
        text(legacy ? "short" : "a long model name!!!", legacy ? 10 : 20);
    }
    void text(std::string_view value, std::size_t width) {
        bytes += std::string(value).append(width - value.size(), '\0');
    }
    void u32(std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            bytes += static_cast<char>(value >> (8 * i));
        }
    }
    // A record of `size` bytes: an optional name, the frame, then floats counting from it.
    void key(std::size_t size, std::string_view name, std::int32_t frame) {
        const std::size_t start = bytes.size();
        if (size == sizeof(BoneKey) || size == sizeof(MorphKey)) {
            text(name, 15);
        }
        u32(static_cast<std::uint32_t>(frame));
        while (bytes.size() + 4 <= start + size) {
            u32(std::bit_cast<std::uint32_t>(static_cast<float>(frame)));
        }
        bytes.append(start + size - bytes.size(), 'c');
    }
};

bool loadString(MotionDocument& document, const std::string& bytes) {
    return loadBytes(document, std::as_bytes(std::span(bytes)));
}

TEST(MotionFile, DefaultDocumentIs66Bytes) {
    test::ScratchDir dir;
    ASSERT_TRUE(save(MotionDocument{}, dir / "default.qlx"));
    EXPECT_EQ(test::readBytes(dir / "default.qlx"),
              std::string("Quorlane Motion Data 0002\0\0\0\0\0", 30) +
                  std::string(kDefaultModelName) + std::string(28, '\0'));
}

TEST(MotionFile, LoadSortsSaveKeepsOrderAndBothVersionsRoundTrip) {
    for (const bool legacy : {true, false}) {
        FileImage image(legacy);
        image.u32(8);
        for (const auto& [name, frame] :
             std::vector<std::pair<std::string, int>>{{"B", 5},
                                                      {"A", 10},
                                                      {"\x90\x58", 0},
                                                      {"A", 2},
                                                      {"A", -1},
                                                      {"AB", -100},
                                                      {"abcdefghijklmno", 3},
                                                      {"abcdefghijklmnn", 9}}) {
            image.key(sizeof(BoneKey), name, frame);
        }
        image.bytes[30 + (legacy ? 10 : 20) + 4 + 4 * 111 + 2] = 'Z'; // after a NUL: no part
        image.u32(3);
        image.key(sizeof(MorphKey), "x", 5);
        image.key(sizeof(MorphKey), "y", 1);
        image.key(sizeof(MorphKey), "z", 5);
        image.u32(2);
        image.key(sizeof(CameraKey), "", 0);
        image.key(sizeof(CameraKey), "", -1);
        image.u32(1);
        image.key(sizeof(LightKey), "", 7);

        MotionDocument document;
        ASSERT_TRUE(loadString(document, image.bytes + "ignored"));
        EXPECT_EQ(document.headerWord, 0x11223344);
        EXPECT_EQ(document.modelName(), legacy ? "short" : "a long model name!!!");
        std::string order;
        for (const auto& key : document.bones) {
            order += std::string(io::fieldText(key.name)) + std::to_string(key.frame.get()) + " ";
            EXPECT_EQ(key.position[0].get(), static_cast<float>(key.frame.get())) << "moved whole";
        }
        for (const auto& key : document.morphs) { // equal frames keep their file order
            order += io::fieldText(key.name);
        }
        EXPECT_EQ(order, "A-1 A2 A10 AB-100 B5 abcdefghijklmnn9 abcdefghijklmno3 \x90\x58"
                         "0 yxz");
        EXPECT_EQ(document.cameras[0].frame.get(), -1);
        EXPECT_EQ(document.lights[0].frame.get(), 7);

        test::ScratchDir dir;
        ASSERT_TRUE(save(document, dir / "m.qlx"));
        MotionDocument again;
        ASSERT_TRUE(load(again, dir / "m.qlx"));
        ASSERT_TRUE(save(again, dir / "again.qlx"));
        EXPECT_EQ(test::readBytes(dir / "again.qlx"), test::readBytes(dir / "m.qlx"));
        EXPECT_EQ(test::readBytes(dir / "m.qlx").size(), image.bytes.size());
        std::swap(document.morphs[0], document.morphs[2]);
        ASSERT_TRUE(save(document, dir / "m.qlx"));
        EXPECT_EQ(test::readBytes(dir / "m.qlx")[30 + (legacy ? 10 : 20) + 4 + 8 * 111 + 4], 'z');
    }
}

TEST(MotionFile, RefusesWhatItCannotTrust) {
    FileImage image(false);
    image.u32(1);
    image.key(sizeof(BoneKey), "A", 1);
    for (int table = 0; table < 3; ++table) {
        image.u32(0);
    }
    for (std::size_t size = 0; size < image.bytes.size(); ++size) {
        MotionDocument document;
        EXPECT_FALSE(loadString(document, image.bytes.substr(0, size))) << size;
    }
    std::memcpy(image.bytes.data() + 21, "0003", 4);
    MotionDocument document;
    EXPECT_FALSE(loadString(document, image.bytes));
    EXPECT_FALSE(save(document, "never-written.qlx"));
    EXPECT_FALSE(std::filesystem::exists("never-written.qlx"));
}

} // namespace
} // namespace qlx::motion
