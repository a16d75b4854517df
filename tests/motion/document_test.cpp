// The motion document: defaults, the version rule and the text fields it decides between.
#include "motion/document.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace qlx::motion {
namespace {

const std::string kDefaultModelName = "\x90\x58\x96\xEC\x83\x86\x83\x89";

std::string bytesOf(std::span<const char> field) {
    return {field.begin(), field.end()};
}

TEST(MotionDocument, Defaults) {
    const MotionDocument document;
    EXPECT_EQ(document.version(), MotionVersion::Current);
    EXPECT_EQ(document.modelName(), kDefaultModelName);
    EXPECT_EQ(bytesOf(document.magic), std::string("Quorlane Motion Data 0002\0", 26));
    EXPECT_EQ(document.headerWord, 0);
    EXPECT_EQ(bytesOf(document.shortModelName), std::string("tavo\0\0\0\0\0\0", 10));
    EXPECT_EQ(bytesOf(document.longModelName), kDefaultModelName + std::string(12, '\0'));
    EXPECT_TRUE(document.bones.empty() && document.morphs.empty() && document.cameras.empty() &&
                document.lights.empty());
}

TEST(MotionDocument, VersionComesFromBytes21To25Only) {
    struct Case {
        std::string magic; // 26 bytes
        MotionVersion version;
    };
    const Case cases[] = {
        {std::string("Quorlane Motion Data file\0", 26), MotionVersion::Legacy},
        {std::string("Quorlane Motion Data 0002\0", 26), MotionVersion::Current},
        {std::string("xxxxxxxxxxxxxxxxxxxxx0002\0", 26), MotionVersion::Current},
        {std::string("Quorlane Motion Data 0003\0", 26), MotionVersion::Unrecognised},
        {std::string("Quorlane Motion Data FILE\0", 26), MotionVersion::Unrecognised},
        {std::string("Quorlane Motion Data 00020", 26), MotionVersion::Unrecognised},
        {std::string("Quorlane Motion Data \0\0\0\0\0", 26), MotionVersion::Unrecognised},
    };
    for (const auto& c : cases) {
        MotionDocument document;
        std::memcpy(document.magic.data(), c.magic.data(), 26);
        EXPECT_EQ(document.version(), c.version) << c.magic;
    }
}

TEST(MotionDocument, ModelNameFollowsTheVersion) {
    MotionDocument document;
    std::memcpy(document.magic.data() + 21, "file", 5);
    EXPECT_EQ(document.modelName(), "tavo");
    document.setModelName("ab");
    EXPECT_EQ(bytesOf(document.shortModelName), std::string("ab\0o\0\0\0\0\0\0", 10));
    EXPECT_EQ(bytesOf(document.longModelName), kDefaultModelName + std::string(12, '\0'));

    std::memcpy(document.magic.data() + 21, "0003", 5);
    EXPECT_FALSE(document.modelName());
    const MotionDocument before = document;
    document.setModelName("zzz");
    EXPECT_EQ(document.shortModelName, before.shortModelName);
    EXPECT_EQ(document.longModelName, before.longModelName);
}

TEST(MotionDocument, SetModelNameKeepsTheFullWidth) {
    const std::string text25 = "abcdefghijklmnopqrstuvwxy";
    MotionDocument current;
    current.setModelName(text25);
    EXPECT_EQ(bytesOf(current.longModelName), text25.substr(0, 20));
    EXPECT_EQ(current.modelName(), text25.substr(0, 20));

    MotionDocument legacy;
    std::memcpy(legacy.magic.data() + 21, "file", 5);
    legacy.setModelName(text25);
    EXPECT_EQ(bytesOf(legacy.shortModelName), text25.substr(0, 10));
    EXPECT_EQ(legacy.modelName(), text25.substr(0, 10));

    // A cut may fall between the two bytes of a double-byte character.
    MotionDocument split;
    split.setModelName(std::string(19, 'a') + "\x90\x58");
    EXPECT_EQ(bytesOf(split.longModelName), std::string(19, 'a') + "\x90");

    MotionDocument shorter;
    shorter.setModelName("ab");
    EXPECT_EQ(bytesOf(shorter.longModelName),
              "ab" + std::string(1, '\0') + kDefaultModelName.substr(3) + std::string(12, '\0'));
    EXPECT_EQ(shorter.modelName(), "ab");
}

TEST(MotionDocument, SignatureTextDecidesTheVersion) {
    struct Case {
        std::string text;
        MotionVersion version;
        std::string magic;
    };
    const std::string base = "Quorlane Motion Data ";
    const Case cases[] = {
        {"abc", MotionVersion::Current, std::string("abc\0lane Motion Data 0002\0", 26)},
        {base, MotionVersion::Unrecognised,
         base + std::string("\0"
                            "002\0",
                            5)},
        {base + "fil", MotionVersion::Unrecognised, base + std::string("fil\0\0", 5)},
        {base + "file", MotionVersion::Legacy, base + std::string("file\0", 5)},
        {base + "file and more", MotionVersion::Legacy, base + std::string("file\0", 5)},
        {base + "0003", MotionVersion::Unrecognised, base + std::string("0003\0", 5)},
    };
    for (const auto& c : cases) {
        MotionDocument document;
        setMagic(document, c.text);
        EXPECT_EQ(document.version(), c.version) << c.text;
        EXPECT_EQ(bytesOf(document.magic), c.magic) << c.text;
    }
}

TEST(MotionDocument, ResizedTablesHoldDefaultRecords) {
    MotionDocument document;
    document.bones.resize(3);
    for (const auto& bone : document.bones) {
        EXPECT_EQ(bone.name, (std::array<char, 15>{}));
        EXPECT_EQ(bone.frame.get(), 0);
        for (const auto& value : bone.rotation) {
            EXPECT_EQ(value.get(), 0.0f);
        }
        EXPECT_EQ(bone.interpolation, kBoneDefaultInterpolation);
    }
    document.cameras.resize(1);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&document.cameras[0]);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes + 32, bytes + 56),
              std::vector<std::uint8_t>(kCameraDefaultInterpolation.begin(),
                                        kCameraDefaultInterpolation.end()));
    EXPECT_EQ(std::vector<std::uint8_t>(bytes + 56, bytes + 61),
              (std::vector<std::uint8_t>{35, 0, 0, 0, 0}));

    document.bones[1].frame = 7;
    document.bones.resize(0);
    document.bones.resize(2);
    EXPECT_EQ(document.bones[1].frame.get(), 0);
}

} // namespace
} // namespace qlx::motion
