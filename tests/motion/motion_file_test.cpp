// The binary motion file: layout, sort on load, byte identity of load and save, and refusal of
// files that cannot be trusted, without ever damaging an existing output.
#include "motion/motion_file.h"

#include "tests/support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace qlx::motion {
namespace {

using test::readBytes;
using test::ScratchDir;
using test::writeBytes;

// Builds file images field by field, independently of `save`.
struct FileImage {
    std::string bytes;
    void text(std::string_view value, std::size_t width) {
        std::string field(value);
        field.resize(width, '\0');
        bytes += field;
    }
    void u32(std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            bytes += static_cast<char>(value >> (8 * i));
        }
    }
    void f32(float value) { u32(std::bit_cast<std::uint32_t>(value)); }
    void fill(std::size_t count, char value) { bytes.append(count, value); }
};

std::string legacyMagic() {
    return std::string("Quorlane Motion Data file\0", 26);
}

FileImage header(bool legacy) {
    FileImage image;
    image.text(legacy ? legacyMagic() : "Quorlane Motion Data 0002", 26);
    image.u32(0x11223344);
    image.text(legacy ? "short" : "a long model name!!!", legacy ? 10 : 20);
    return image;
}

void bone(FileImage& image, std::string_view name, std::int32_t frame, char fill = 'i') {
    image.text(name, 15);
    image.u32(static_cast<std::uint32_t>(frame));
    for (int i = 0; i < 7; ++i) {
        image.f32(static_cast<float>(i) * 0.5f + static_cast<float>(frame));
    }
    image.fill(64, fill);
}
void morph(FileImage& image, std::string_view name, std::int32_t frame) {
    image.text(name, 15);
    image.u32(static_cast<std::uint32_t>(frame));
    image.f32(0.25f);
}
void camera(FileImage& image, std::int32_t frame) {
    image.u32(static_cast<std::uint32_t>(frame));
    for (int i = 0; i < 7; ++i) {
        image.f32(static_cast<float>(-i));
    }
    image.fill(24, 'c');
    image.u32(45);
    image.bytes += '\x01';
}
void light(FileImage& image, std::int32_t frame) {
    image.u32(static_cast<std::uint32_t>(frame));
    for (int i = 0; i < 6; ++i) {
        image.f32(static_cast<float>(i) / 10.0f);
    }
}

// A small motion with keys of every kind, already in key order.
std::string sortedMotion(bool legacy) {
    FileImage image = header(legacy);
    image.u32(3);
    bone(image, "A", -1);
    bone(image, "A", 2);
    bone(image, "B", 0);
    image.u32(2);
    morph(image, "blink", 1);
    morph(image, "smile", 4);
    image.u32(1);
    camera(image, 0);
    image.u32(2);
    light(image, -5);
    light(image, 3);
    return image.bytes;
}

bool loadString(MotionDocument& document, const std::string& bytes) {
    return loadBytes(document, std::as_bytes(std::span(bytes)));
}

TEST(MotionFile, DefaultDocumentIs66Bytes) {
    ScratchDir dir;
    ASSERT_TRUE(save(MotionDocument{}, dir / "default.qlx"));
    const std::string expected = std::string("Quorlane Motion Data 0002\0\0\0\0\0", 30) +
                                 "\x90\x58\x96\xEC\x83\x86\x83\x89" + std::string(12, '\0') +
                                 std::string(16, '\0');
    EXPECT_EQ(readBytes(dir / "default.qlx"), expected);

    MotionDocument loaded;
    ASSERT_TRUE(load(loaded, dir / "default.qlx"));
    EXPECT_TRUE(loaded.bones.empty() && loaded.morphs.empty() && loaded.cameras.empty() &&
                loaded.lights.empty());
}

TEST(MotionFile, BothVersionsLoadAndSaveByteForByte) {
    for (const bool legacy : {true, false}) {
        const std::string bytes = sortedMotion(legacy);
        MotionDocument document;
        ASSERT_TRUE(loadString(document, bytes)) << legacy;
        EXPECT_EQ(document.version(), legacy ? MotionVersion::Legacy : MotionVersion::Current);
        EXPECT_EQ(document.headerWord, 0x11223344);
        EXPECT_EQ(document.modelName(), legacy ? "short" : "a long model name!!!");
        ASSERT_EQ(document.bones.size(), 3u);
        EXPECT_EQ(document.bones[0].rotation[3].get(), 3.0f - 1.0f);
        EXPECT_EQ(document.cameras[0].viewAngle.get(), 45);
        EXPECT_EQ(document.cameras[0].perspective, 1);
        EXPECT_EQ(document.lights[1].direction[2].get(), 0.5f);

        ScratchDir dir;
        ASSERT_TRUE(save(document, dir / "copy.qlx"));
        EXPECT_EQ(readBytes(dir / "copy.qlx"), bytes) << legacy;
        // The bone count follows the model name: offset 40 for legacy files, 50 for current.
        EXPECT_EQ(bytes[legacy ? 40 : 50], 3);
    }
}

TEST(MotionFile, LoadSortsEachTable) {
    FileImage image = header(false);
    image.u32(7);
    bone(image, "B", 5);
    bone(image, "A", 10);
    bone(image, "\x90\x58", 0); // Shift-JIS lead byte: after every ASCII name
    bone(image, "A", 2);
    bone(image, "A", -1);
    bone(image, "AB", -100);
    bone(image, "abcdefghijklmno", 1); // fills all 15 bytes, no NUL
    image.u32(3);
    morph(image, "x", 5);
    morph(image, "y", 1);
    morph(image, "z", 5);
    image.u32(2);
    camera(image, 0);
    camera(image, -1);
    image.u32(0);

    MotionDocument document;
    ASSERT_TRUE(loadString(document, image.bytes));
    std::vector<std::pair<std::string, int>> bones;
    for (const auto& key : document.bones) {
        bones.emplace_back(std::string(fieldText(key.name)), key.frame.get());
        EXPECT_EQ(key.position[0].get(), static_cast<float>(key.frame.get()));
    }
    EXPECT_EQ(bones, (std::vector<std::pair<std::string, int>>{{"A", -1},
                                                               {"A", 2},
                                                               {"A", 10},
                                                               {"AB", -100},
                                                               {"B", 5},
                                                               {"abcdefghijklmno", 1},
                                                               {"\x90\x58", 0}}));
    // Equal frames keep their file order.
    EXPECT_EQ(fieldText(document.morphs[0].name), "y");
    EXPECT_EQ(fieldText(document.morphs[1].name), "x");
    EXPECT_EQ(fieldText(document.morphs[2].name), "z");
    EXPECT_EQ(document.cameras[0].frame.get(), -1);
}

TEST(MotionFile, FullWidthNamesCompareWithinTheirField) {
    FileImage image = header(false);
    image.u32(3);
    bone(image, "abcdefghijklmno", 9, 'x');
    bone(image, "abcdefghijklmno", 3, 'y');
    bone(image, "abcdefghijklmnn", 5, 'z');
    image.u32(0);
    image.u32(0);
    image.u32(0);
    MotionDocument document;
    ASSERT_TRUE(loadString(document, image.bytes));
    EXPECT_EQ(document.bones[0].interpolation[0], 'z');
    EXPECT_EQ(document.bones[1].interpolation[0], 'y');
    EXPECT_EQ(document.bones[2].interpolation[0], 'x');
}

TEST(MotionFile, SaveKeepsTableOrder) {
    MotionDocument document;
    document.morphs.resize(2);
    document.morphs[0].frame = 5;
    document.morphs[1].frame = 1;
    ScratchDir dir;
    ASSERT_TRUE(save(document, dir / "m.qlx"));
    const std::string bytes = readBytes(dir / "m.qlx");
    EXPECT_EQ(bytes[50 + 4 + 4 + 15], 5);
    MotionDocument loaded;
    ASSERT_TRUE(load(loaded, dir / "m.qlx"));
    EXPECT_EQ(loaded.morphs[0].frame.get(), 1);
}

TEST(MotionFile, RefusesUnrecognisedVersion) {
    std::string bytes = sortedMotion(false);
    std::memcpy(bytes.data() + 21, "0003", 4);
    MotionDocument document;
    EXPECT_FALSE(loadString(document, bytes));
}

TEST(MotionFile, IgnoresBytesAfterTheLights) {
    const std::string bytes = sortedMotion(true) + "trailing";
    MotionDocument document;
    ASSERT_TRUE(loadString(document, bytes));
    EXPECT_EQ(document.lights.size(), 2u);
}

TEST(MotionFile, RefusesEveryTruncation) {
    for (const bool legacy : {true, false}) {
        const std::string bytes = sortedMotion(legacy);
        for (std::size_t size = 0; size < bytes.size(); ++size) {
            MotionDocument document;
            EXPECT_FALSE(loadString(document, bytes.substr(0, size))) << size;
        }
    }
}

TEST(MotionFile, RefusesCountsBeyondTheFile) {
    const std::string bytes = sortedMotion(false);
    // Offsets of the four counts in the current-version image.
    const std::size_t countOffsets[] = {50, 50 + 4 + 3 * 111, 50 + 8 + 3 * 111 + 2 * 23,
                                        50 + 12 + 3 * 111 + 2 * 23 + 61};
    for (const auto offset : countOffsets) {
        for (const std::uint32_t count : {0xFFFFFFFFu, 0x80000000u, 100u}) {
            std::string changed = bytes;
            for (int i = 0; i < 4; ++i) {
                changed[offset + static_cast<std::size_t>(i)] = static_cast<char>(count >> (8 * i));
            }
            MotionDocument document;
            EXPECT_FALSE(loadString(document, changed)) << offset << " " << count;
        }
    }
}

TEST(MotionFile, LoadFailsForMissingFile) {
    ScratchDir dir;
    MotionDocument document;
    EXPECT_FALSE(load(document, dir / "missing.qlx"));
    EXPECT_FALSE(load(document, dir.path()));
}

TEST(MotionFile, UnrecognisedDocumentIsNotSaved) {
    ScratchDir dir;
    MotionDocument document;
    std::memcpy(document.magic.data() + 21, "0003", 4);
    EXPECT_FALSE(save(document, dir / "new.qlx"));
    EXPECT_TRUE(dir.entries().empty());

    writeBytes(dir / "old.qlx", "keep me");
    EXPECT_FALSE(save(document, dir / "old.qlx"));
    EXPECT_EQ(readBytes(dir / "old.qlx"), "keep me");
    EXPECT_EQ(dir.entries().size(), 1u);
}

TEST(MotionFile, SaveFailsWithoutTouchingAnything) {
    ScratchDir dir;
    EXPECT_FALSE(save(MotionDocument{}, dir / "no such folder" / "x.qlx"));
    EXPECT_FALSE(save(MotionDocument{}, dir.path()));
    std::filesystem::create_directory(dir / "folder.qlx");
    EXPECT_FALSE(save(MotionDocument{}, dir / "folder.qlx"));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"folder.qlx"});
}

TEST(MotionFile, SaveReplacesLongerFileCompletely) {
    ScratchDir dir;
    writeBytes(dir / "x.qlx", std::string(1000, 'z'));
    ASSERT_TRUE(save(MotionDocument{}, dir / "x.qlx"));
    EXPECT_EQ(readBytes(dir / "x.qlx").size(), 66u);
    EXPECT_EQ(dir.entries().size(), 1u);
}

} // namespace
} // namespace qlx::motion
