// The rotation convention: worked examples both ways and the scalings' rounding. Rotations'
// round trips on random motions are checked with the export and the import.
#include "convert/rotation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

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

// The angles of a rotation are the same bits on every build (the CSV the Windows build writes is
// the Linux build's): each matrix element rounds after every product and sum, as written, as
// here, where stores through volatile keep the oracle itself from fusing a multiply and an add.
TEST(Rotation, NoBuildFusesTheArithmetic) {
    const auto element = [](float a, float b, float c, float d) {
        volatile float ab = a * b;
        volatile float cd = c * d;
        volatile float sum = ab + cd;
        return 2.0f * sum;
    };
    std::mt19937 random(39);
    std::uniform_real_distribution<float> component(-1.0f, 1.0f);
    for (int i = 0; i < 20000; ++i) {
        const Quaternion q{component(random), component(random), component(random),
                           component(random)};
        const float m12 = element(q.x, q.y, q.z, q.w);
        const float m22 = 1.0f - element(q.x, q.x, q.z, q.z);
        const float m31 = element(q.x, q.z, q.y, q.w);
        const float m32 = element(q.y, q.z, -q.x, q.w);
        const float m33 = 1.0f - element(q.x, q.x, q.y, q.y);
        const EulerAngles radians = quaternionToEuler(q);
        const auto same = [](float a, double b) {
            return a == static_cast<float>(b) || (std::isnan(a) && std::isnan(b));
        };
        if (std::fabs(std::cos(double{radians.x})) >= 1e-6) { // else other elements are read
            ASSERT_TRUE(same(radians.z, std::atan2(double{m12}, double{m22}))) << i;
            ASSERT_TRUE(same(radians.x, std::asin(-double{m32}))) << i;
            ASSERT_TRUE(same(radians.y, std::atan2(double{m31}, double{m33}))) << i;
        }
    }
}

} // namespace
} // namespace qlx::convert
