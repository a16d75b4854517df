// Row forms of the header and the four keyframe kinds: the worked example row by row, and what
// the parsers do with short, long and odd rows.
#include "csv/motion_layout.h"

#include "convert/rotation.h"

#include <gtest/gtest.h>

#include <cstring>

namespace qlx::csv {
namespace {

using namespace motion;

const std::string kBoneInterpolationHex =
    "0x14141414141414146B6B6B6B6B6B6B6B141414141414146B6B6B6B6B6B6B6B01"
    "1414141414146B6B6B6B6B6B6B6B010014141414146B6B6B6B6B6B6B6B010000";

CsvRow rowOf(std::string_view line) {
    CsvRow row;
    splitLine(line, row);
    return row;
}

template <std::size_t N> void setName(std::array<char, N>& field, std::string_view text) {
    field.fill('\0');
    std::memcpy(field.data(), text.data(), std::min(text.size(), N));
}

TEST(MotionLayout, WorkedExampleRows) {
    CsvRow row;
    formatHeaderRow(row, MotionDocument{});
    EXPECT_EQ(row.text(), "Quorlane Motion Data 0002,0");

    BoneKey bone;
    setName(bone.name, "wrist_R");
    bone.frame = 30;
    bone.position = {0.0f, 1.5f, -2.25f};
    bone.rotation = {0.25881904f, 0.0f, 0.0f, 0.96592583f}; // 30 degrees about X
    formatBoneRow(row, bone);
    EXPECT_EQ(row.text(), "wrist_R,30,0,1.5,-2.25,30,0,0," + kBoneInterpolationHex);

    MorphKey morph{};
    setName(morph.name, "blink");
    morph.frame = 12;
    morph.weight = 0.75f;
    formatMorphRow(row, morph);
    EXPECT_EQ(row.text(), "blink,12,0.75");

    CameraKey camera;
    camera.distance = -45.0f;
    camera.position = {0.0f, 10.0f, 0.0f};
    camera.rotation = {convert::degreesToRadians(10), 3.14159274f, 0.0f};
    formatCameraRow(row, camera);
    EXPECT_EQ(row.text(),
              "0,-45,0,10,0,10,180,0,0x146B146B146B146B146B146B146B146B146B146B146B146B2300000000");

    LightKey light{};
    light.colour = {0.6f, 0.6f, 0.6f};
    light.direction = {-0.5f, -1.0f, 0.5f};
    formatLightRow(row, light);
    EXPECT_EQ(row.text(), "0,0.6,0.6,0.6,-0.5,-1,0.5");
}

TEST(MotionLayout, RowsReadBackAsWritten) {
    BoneKey bone;
    CsvRow row = rowOf("wrist_R,30,0,1.5,-2.25,30,45,60," + kBoneInterpolationHex);
    CsvRowView view = row.view();
    parseBoneRow(view, bone);
    EXPECT_EQ(std::string(bone.name.data()), "wrist_R");
    EXPECT_EQ(bone.frame.get(), 30);
    EXPECT_EQ(bone.position[2].get(), -2.25f);
    EXPECT_NEAR(bone.rotation[0].get(), 0.3919038f, 1e-6f);
    EXPECT_NEAR(bone.rotation[3].get(), 0.8223631f, 1e-6f);
    EXPECT_EQ(bone.interpolation, kBoneDefaultInterpolation);

    CameraKey camera;
    row = rowOf("7,-45,1,2,3,90,45,720,0x" + std::string(48, '0') + "5A00000001,extra");
    view = row.view();
    parseCameraRow(view, camera);
    EXPECT_EQ(camera.frame.get(), 7);
    EXPECT_EQ(camera.rotation[0].get(), 1.5707964f);
    EXPECT_EQ(camera.rotation[2].get(), 12.566371f);
    EXPECT_EQ(camera.viewAngle.get(), 90);
    EXPECT_EQ(camera.perspective, 1);
    EXPECT_EQ(camera.interpolation, Interpolation24{});
    EXPECT_EQ(view.front(), "extra");

    LightKey light{};
    row = rowOf("-3,0.1,0.2,0.3,0.4,0.5,0.6,7,8");
    view = row.view();
    parseLightRow(view, light);
    EXPECT_EQ(light.frame.get(), -3);
    EXPECT_EQ(light.direction[2].get(), 0.6f);
    EXPECT_EQ(view.fieldCount(), 2u);
}

TEST(MotionLayout, ShortRowsKeepDefaults) {
    BoneKey bone;
    CsvRow row = rowOf("arm,1,2,3,4,0,0,0");
    CsvRowView view = row.view();
    parseBoneRow(view, bone);
    EXPECT_EQ(bone.interpolation, kBoneDefaultInterpolation);
    EXPECT_EQ(bone.rotation[3].get(), 1.0f);

    // Missing angles count as zero: the rotation becomes the identity.
    BoneKey noAngles;
    row = rowOf("arm,1");
    view = row.view();
    parseBoneRow(view, noAngles);
    EXPECT_EQ(noAngles.rotation[3].get(), 1.0f);
    EXPECT_EQ(noAngles.position[0].get(), 0.0f);

    CameraKey camera;
    row = rowOf("0,1,2,3,4,5,6,7,0x");
    view = row.view();
    parseCameraRow(view, camera);
    const auto tail = cameraTail(camera);
    EXPECT_EQ(tail[0], 0);
    EXPECT_EQ(tail[1], 0x6B);
    EXPECT_EQ(camera.viewAngle.get(), 35);

    CameraKey noRotation;
    row = rowOf("0,1,2,3,4");
    view = row.view();
    parseCameraRow(view, noRotation);
    EXPECT_EQ(noRotation.rotation[0].get(), 0.0f);
}

TEST(MotionLayout, DefaultRotationWritesNegativeZero) {
    BoneKey bone;
    CsvRow row;
    formatBoneRow(row, bone);
    EXPECT_EQ(row.text(), ",0,0,0,0,-0,0,0," + kBoneInterpolationHex);
    CsvRowView view = row.view();
    BoneKey back;
    parseBoneRow(view, back);
    EXPECT_EQ(back.rotation[3].get(), 1.0f);
    EXPECT_EQ(back.rotation[0].get(), 0.0f);
}

TEST(MotionLayout, MorphNamesKeepInnerSpaces) {
    MorphKey morph{};
    CsvRow row = rowOf(" eye close ,5,0.5");
    CsvRowView view = row.view();
    parseMorphRow(view, morph);
    EXPECT_EQ(std::string(morph.name.data()), "eye close");
    EXPECT_EQ(morph.frame.get(), 5);
    EXPECT_EQ(morph.weight.get(), 0.5f);
}

TEST(MotionLayout, FullWidthBoneNamesSurvive) {
    BoneKey bone;
    setName(bone.name, "abcdefghijklmno");
    CsvRow row;
    formatBoneRow(row, bone);
    EXPECT_EQ(row.field(0), "abcdefghijklmno");
    BoneKey back;
    CsvRowView view = row.view();
    parseBoneRow(view, back);
    EXPECT_EQ(back.name, bone.name);
}

TEST(MotionLayout, HeaderTextDecidesTheVersion) {
    const std::string base = "Quorlane Motion Data ";
    const struct {
        std::string line;
        MotionVersion version;
        std::int32_t headerWord;
    } cases[] = {
        {"Quorlane Motion Data 0002,0", MotionVersion::Current, 0},
        {"abc,-7", MotionVersion::Current, -7},
        {base + ",1", MotionVersion::Unrecognised, 1},
        {base + "000,1", MotionVersion::Unrecognised, 1},
        {base + "file,2", MotionVersion::Legacy, 2},
        {base + "0003,3", MotionVersion::Unrecognised, 3},
        {base + "0002 trailing,4", MotionVersion::Current, 4},
        {"", MotionVersion::Current, 0},
    };
    for (const auto& c : cases) {
        MotionDocument document;
        CsvRow row = rowOf(c.line);
        CsvRowView view = row.view();
        parseHeaderRow(view, document);
        EXPECT_EQ(document.version(), c.version) << c.line;
        EXPECT_EQ(document.headerWord, c.headerWord) << c.line;
    }
}

} // namespace
} // namespace qlx::csv
