// The rotation convention and the CSV rows read back into records: worked examples, the scalings'
// rounding, and what short, long and odd rows leave in place. Rows as written are checked on the
// worked example, and rotations' round trips on random motions, in the pipeline tests.
#include "convert/motion_layout.h"
#include "convert/rotation.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace qlx::convert {
namespace {

using test::RowOf;

TEST(Rotation, WorkedExamplesBothWays) {
    const std::vector<std::pair<Quaternion, EulerAngles>> cases = {
        {{0, 0, 0, 1}, {0, 0, 0}},
        {{0, 0.70710677f, 0, 0.70710677f}, {0, 90, 0}},
        {{0.3919038f, 0.2005621f, 0.3604234f, 0.8223631f}, {30, 45, 60}},
        // At a pitch of exactly 90 degrees the whole turn goes into the roll.
        {{0.5f, 0.5f, -0.5f, 0.5f}, {90, 0, -90}},
        {{-0.5f, 0.5f, 0.5f, 0.5f}, {-90, 0, 90}}};
    for (const auto& [stored, degrees] : cases) {
        const EulerAngles d = boneRotationToDegrees(stored);
        const Quaternion q = boneRotationFromDegrees(degrees);
        const float actual[] = {d.x, d.y, d.z, q.x, q.y, q.z, q.w};
        const float expected[] = {degrees.x, degrees.y, degrees.z, stored.x,
                                  stored.y,  stored.z,  stored.w};
        for (std::size_t i = 0; i < 7; ++i) {
            EXPECT_NEAR(actual[i], expected[i], std::max(4e-7f * std::fabs(expected[i]), 1e-6f));
        }
    }
    EXPECT_TRUE(std::signbit(boneRotationToDegrees({0, 0, 0, 0}).x)) << "the default is -0";
    // Each scaling rounds as the double-precision formula, in its order, narrowed once.
    for (float v = -1000.0f; v < 1000.0f; v += 0.37f) {
        ASSERT_EQ(radiansToDegrees(v), static_cast<float>(v / std::numbers::pi * 180.0));
        ASSERT_EQ(degreesToRadians(v), static_cast<float>(v * std::numbers::pi / 180.0));
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
}

} // namespace
} // namespace qlx::convert
