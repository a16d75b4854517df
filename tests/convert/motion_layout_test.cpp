// The CSV rows read back into records: what short, long and odd rows leave in place. Rows as
// written are checked on the worked example with the export.
#include "convert/motion_layout.h"

#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>

namespace qlx::convert {
namespace {

using test::RowOf;

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

// A camera angle's text, read as the import reads it, is the stored angle bit for bit, whatever
// its bits: the digits it needs, from six.
TEST(MotionLayout, CameraAnglesComeBackExactly) {
    std::mt19937 random(39);
    motion::CameraKey key;
    CsvRow row;
    for (int i = 0; i < 30000; ++i) {
        for (auto& angle : key.rotation) {
            angle = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
        }
        formatCameraRow(row, key);
        motion::CameraKey back;
        RowOf read(row.text());
        parseCameraRow(read.view, back);
        for (std::size_t k = 0; k < 3; ++k) {
            const float stored = key.rotation[k].get();
            ASSERT_TRUE(back.rotation[k] == key.rotation[k] || std::isnan(stored)) << row.text();
        }
    }
}

} // namespace
} // namespace qlx::convert
