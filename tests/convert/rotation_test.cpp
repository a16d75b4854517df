// The rotation convention: worked examples both ways and the scalings' rounding. Rotations'
// round trips on random motions are checked with the export and the import.
#include "convert/rotation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace qlx::convert {
namespace {

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

} // namespace
} // namespace qlx::convert
