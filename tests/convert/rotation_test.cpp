// The rotation convention and the CSV rows read back into records: worked examples, round
// trips, and what short, long and odd rows leave in place. What the rows look like is checked on
// the worked example in the pipeline tests.
#include "convert/motion_layout.h"
#include "convert/rotation.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

namespace qlx::convert {
namespace {

using test::RowOf;

void expectClose(float actual, float expected) {
    EXPECT_NEAR(actual, expected, std::max(4e-7f * std::fabs(expected), 1e-6f));
}

TEST(Rotation, WorkedExamplesBothWays) {
    const struct {
        Quaternion q;
        EulerAngles degrees;
    } cases[] = {{{0, 0, 0, 1}, {0, 0, 0}},
                 {{0, 0.70710677f, 0, 0.70710677f}, {0, 90, 0}},
                 {{0.3919038f, 0.2005621f, 0.3604234f, 0.8223631f}, {30, 45, 60}},
                 // At a pitch of exactly 90 degrees the whole turn goes into the roll.
                 {{0.5f, 0.5f, -0.5f, 0.5f}, {90, 0, -90}},
                 {{-0.5f, 0.5f, 0.5f, 0.5f}, {-90, 0, 90}}};
    for (const auto& c : cases) {
        const EulerAngles d = boneRotationToDegrees(c.q);
        const Quaternion q = boneRotationFromDegrees(c.degrees);
        for (const auto& [actual, expected] : {std::pair(d.x, c.degrees.x),
                                               {d.y, c.degrees.y},
                                               {d.z, c.degrees.z},
                                               {q.x, c.q.x},
                                               {q.y, c.q.y},
                                               {q.z, c.q.z},
                                               {q.w, c.q.w}}) {
            expectClose(actual, expected);
        }
    }
    EXPECT_TRUE(std::signbit(boneRotationToDegrees({0, 0, 0, 0}).x)) << "the default is -0";
    EXPECT_EQ(radiansToDegrees(3.14159274f), 180.0f);
    EXPECT_EQ(degreesToRadians(720.0f), 12.566371f);
}

// The two directions are inverse away from a right-angled pitch, and the scalings round as the
// double-precision formula narrowed once.
TEST(Rotation, AnglesSurviveARoundTrip) {
    std::mt19937 random(5);
    std::uniform_real_distribution<float> pitch(-89.0f, 89.0f);
    std::uniform_real_distribution<float> turn(-179.0f, 179.0f);
    for (int i = 0; i < 5000; ++i) {
        const EulerAngles in{pitch(random), turn(random), turn(random)};
        const EulerAngles out = boneRotationToDegrees(boneRotationFromDegrees(in));
        ASSERT_TRUE(std::fabs(out.x - in.x) < 2e-3f && std::fabs(out.y - in.y) < 2e-3f &&
                    std::fabs(out.z - in.z) < 2e-3f)
            << in.x << " " << in.y << " " << in.z;
        ASSERT_EQ(radiansToDegrees(in.y), static_cast<float>(in.y / std::numbers::pi * 180.0));
        ASSERT_EQ(degreesToRadians(in.y), static_cast<float>(in.y * std::numbers::pi / 180.0));
    }
}

TEST(MotionLayout, RowsReadBackWithWhatIsMissingLeftInPlace) {
    motion::BoneKey bone;
    RowOf boneRow("wrist_R,30,0,1.5,-2.25,30,45,60,0x14");
    parseBoneRow(boneRow.view, bone);
    EXPECT_EQ(bone.position[2].get(), -2.25f);
    EXPECT_NEAR(bone.rotation[0].get(), 0.3919038f, 1e-6f);
    EXPECT_EQ(bone.interpolation[1], 0) << "the pair after the last one read becomes 0";
    RowOf shortRow("arm,1");
    parseBoneRow(shortRow.view, bone); // missing angles count as zero: the identity
    EXPECT_EQ(bone.rotation[3].get(), 1.0f);
    EXPECT_EQ(bone.rotation[2].get(), 0.0f);

    motion::CameraKey camera;
    RowOf cameraRow("7,-45,1,2,3,90,45,720,0x" + std::string(48, '0') + "5A00000001,extra");
    parseCameraRow(cameraRow.view, camera);
    EXPECT_EQ(camera.rotation[2].get(), 12.566371f);
    EXPECT_EQ(camera.viewAngle.get(), 90);
    EXPECT_EQ(camera.perspective, 1);
    EXPECT_EQ(cameraRow.view.front(), "extra");

    motion::MorphKey morph{};
    RowOf morphRow(" eye close ,5,0.5");
    parseMorphRow(morphRow.view, morph);
    EXPECT_EQ(std::string(morph.name.data()), "eye close");

    motion::MotionDocument document;
    for (const auto& [line, version] :
         {std::pair<std::string, motion::MotionVersion>("abc,-7", motion::MotionVersion::Current),
          {"Quorlane Motion Data 000,1", motion::MotionVersion::Unrecognised},
          {"Quorlane Motion Data file,2", motion::MotionVersion::Legacy}}) {
        RowOf row(line);
        parseHeaderRow(row.view, document);
        EXPECT_EQ(document.version(), version) << line;
        EXPECT_EQ(document.headerWord, line.back() == '7' ? -7 : line.back() - '0') << line;
    }
}

} // namespace
} // namespace qlx::convert
