// The rotation convention: worked examples both ways, and round trips as the oracle elsewhere.
#include "convert/rotation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace qlx::convert {
namespace {

// Within a few units in the last single-precision place.
void expectClose(float actual, float expected, const char* what) {
    const float tolerance =
        4 * std::nextafter(std::fabs(expected), INFINITY) - 4 * std::fabs(expected);
    EXPECT_NEAR(actual, expected, std::max(tolerance, 1e-6f)) << what;
}

TEST(Rotation, ExportsWorkedExamples) {
    const struct {
        Quaternion q;
        EulerAngles degrees;
    } cases[] = {
        {{0, 0, 0, 1}, {-0.0f, 0, 0}},
        {{0, 0, 0, 0}, {-0.0f, 0, 0}},
        {{1, 0, 0, 0}, {-0.0f, 180, 180}},
        {{0, 1, 0, 0}, {-0.0f, 180, 0}},
        {{0, 0, 1, 0}, {-0.0f, 0, 180}},
        {{0.70710677f, 0, 0, 0.70710677f}, {89.98022f, 0, 0}},
        // At a pitch of exactly 90 degrees the turn goes into the roll.
        {{0.5f, 0.5f, -0.5f, 0.5f}, {90, 0, -90}},
        {{-0.5f, 0.5f, 0.5f, 0.5f}, {-90, 0, 90}},
        {{0.5f, -0.5f, 0.5f, 0.5f}, {90, 0, 90}},
    };
    for (const auto& c : cases) {
        const EulerAngles d = boneRotationToDegrees(c.q);
        expectClose(d.x, c.degrees.x, "X");
        expectClose(d.y, c.degrees.y, "Y");
        expectClose(d.z, c.degrees.z, "Z");
        EXPECT_EQ(std::signbit(d.x), std::signbit(c.degrees.x));
    }
    // q and -q give the same angles.
    const EulerAngles a = boneRotationToDegrees({0.1f, -0.2f, 0.3f, 0.9f});
    const EulerAngles b = boneRotationToDegrees({-0.1f, 0.2f, -0.3f, -0.9f});
    EXPECT_EQ(std::make_tuple(a.x, a.y, a.z), std::make_tuple(b.x, b.y, b.z));
    // Not of unit length: the arc sine has no value and nothing is normalised.
    const EulerAngles nan = boneRotationToDegrees({1, 0, 0, 1});
    EXPECT_TRUE(std::isnan(nan.x));
    EXPECT_EQ(nan.y, 180.0f);
    EXPECT_EQ(nan.z, 180.0f);
}

TEST(Rotation, ImportsWorkedExamples) {
    const struct {
        EulerAngles degrees;
        Quaternion q;
    } cases[] = {
        {{0, 0, 0}, {0, 0, 0, 1}},
        {{90, 0, 0}, {0.70710677f, 0, 0, 0.70710677f}},
        {{0, 90, 0}, {0, 0.70710677f, 0, 0.70710677f}},
        {{0, 0, 90}, {0, 0, 0.70710677f, 0.70710677f}},
        {{30, 45, 60}, {0.3919038f, 0.2005621f, 0.3604234f, 0.8223631f}},
        {{90, 0, -90}, {0.5f, 0.5f, -0.5f, 0.5f}},
    };
    for (const auto& c : cases) {
        const Quaternion q = boneRotationFromDegrees(c.degrees);
        expectClose(q.x, c.q.x, "x");
        expectClose(q.y, c.q.y, "y");
        expectClose(q.z, c.q.z, "z");
        expectClose(q.w, c.q.w, "w");
    }
}

TEST(Rotation, ScalesCameraAnglesWithoutWrapping) {
    EXPECT_EQ(radiansToDegrees(1.0f), 57.29578f);
    EXPECT_EQ(radiansToDegrees(-0.5f), -28.64789f);
    EXPECT_EQ(radiansToDegrees(1.5707964f), 90.0f);
    EXPECT_EQ(radiansToDegrees(3.14159274f), 180.0f);
    EXPECT_EQ(degreesToRadians(90.0f), 1.5707964f);
    EXPECT_EQ(degreesToRadians(45.0f), 0.7853982f);
    EXPECT_EQ(degreesToRadians(720.0f), 12.566371f);
    EXPECT_EQ(radiansToDegrees(degreesToRadians(720.0f)), 720.0f);
    EXPECT_TRUE(std::isinf(degreesToRadians(INFINITY)));
}

// The two directions are inverse away from a right-angled pitch.
TEST(Rotation, AnglesSurviveARoundTrip) {
    std::mt19937 random(5);
    std::uniform_real_distribution<float> pitch(-89.0f, 89.0f);
    std::uniform_real_distribution<float> turn(-179.0f, 179.0f);
    for (int i = 0; i < 100000; ++i) {
        const EulerAngles in{pitch(random), turn(random), turn(random)};
        const EulerAngles out = boneRotationToDegrees(boneRotationFromDegrees(in));
        ASSERT_NEAR(out.x, in.x, 2e-3f) << in.x << " " << in.y << " " << in.z;
        ASSERT_NEAR(out.y, in.y, 2e-3f) << in.x << " " << in.y << " " << in.z;
        ASSERT_NEAR(out.z, in.z, 2e-3f) << in.x << " " << in.y << " " << in.z;
    }
}

TEST(Rotation, DegenerateKeysKeepTheirTurn) {
    for (const Quaternion q :
         {Quaternion{0.5f, 0.5f, -0.5f, 0.5f}, Quaternion{-0.5f, 0.5f, 0.5f, 0.5f},
          Quaternion{0.5f, -0.5f, 0.5f, 0.5f}, Quaternion{0.5f, 0.5f, 0.5f, -0.5f}}) {
        const Quaternion back = boneRotationFromDegrees(boneRotationToDegrees(q));
        const float sign =
            (back.w * q.w + back.x * q.x + back.y * q.y + back.z * q.z) < 0 ? -1.0f : 1.0f;
        EXPECT_NEAR(sign * back.x, q.x, 1e-6f);
        EXPECT_NEAR(sign * back.y, q.y, 1e-6f);
        EXPECT_NEAR(sign * back.z, q.z, 1e-6f);
        EXPECT_NEAR(sign * back.w, q.w, 1e-6f);
    }
}

} // namespace
} // namespace qlx::convert
