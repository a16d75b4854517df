// The rotation convention: worked examples both ways, the turn of points it stands for, and
// arithmetic that every build rounds alike. Camera angles' exactness is the row form's.
#include "convert/rotation.h"

#include <gtest/gtest.h>

#include <array>
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
    // A rotation of no numbers has the one quiet NaN for angles, whatever the math library made.
    const EulerAngles none = boneRotationToDegrees({-NAN, -NAN, -NAN, -NAN});
    EXPECT_TRUE(std::isnan(none.x) && !std::signbit(none.x) && !std::signbit(none.y) &&
                !std::signbit(none.z));
}

// The convention as a turn of points: the quaternion of angles (X, Y, Z) turns a point as
// q p q* does, which is the point as a row vector times Rz(Z) Rx(X) Ry(Y) of the elementary
// rotations; and the angles read back from it.
TEST(Rotation, TurnsPointsAsTheConventionSays) {
    using Vector = std::array<double, 3>;
    using Matrix = std::array<Vector, 3>;
    const auto times = [](const Matrix& a, const Matrix& b) {
        Matrix c{};
        for (std::size_t i = 0; i < 3; ++i) {
            for (std::size_t j = 0; j < 3; ++j) {
                for (std::size_t k = 0; k < 3; ++k) {
                    c[i][j] += a[i][k] * b[k][j];
                }
            }
        }
        return c;
    };
    const auto cross = [](const Vector& a, const Vector& b) {
        return Vector{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                      a[0] * b[1] - a[1] * b[0]};
    };
    std::mt19937 random(41);
    std::uniform_real_distribution<float> pitch(-89.0f, 89.0f);
    std::uniform_real_distribution<float> turn(-179.0f, 179.0f);
    for (int i = 0; i < 2000; ++i) {
        const EulerAngles degrees{pitch(random), turn(random), turn(random)};
        const double x = degrees.x * std::numbers::pi / 180;
        const double y = degrees.y * std::numbers::pi / 180;
        const double z = degrees.z * std::numbers::pi / 180;
        const Matrix rz{{{std::cos(z), std::sin(z), 0}, {-std::sin(z), std::cos(z), 0}, {0, 0, 1}}};
        const Matrix rx{{{1, 0, 0}, {0, std::cos(x), std::sin(x)}, {0, -std::sin(x), std::cos(x)}}};
        const Matrix ry{{{std::cos(y), 0, -std::sin(y)}, {0, 1, 0}, {std::sin(y), 0, std::cos(y)}}};
        const Matrix m = times(times(rz, rx), ry);
        const Quaternion q = boneRotationFromDegrees(degrees);
        const Vector u{q.x, q.y, q.z};
        for (const Vector& p : {Vector{1, 0, 0}, Vector{0, 1, 0}, Vector{0, 0, 1}}) {
            const Vector t = cross(u, p); // q p q* = p + 2w (u x p) + 2 u x (u x p)
            const Vector tt = cross(u, t);
            for (std::size_t j = 0; j < 3; ++j) {
                const double row = p[0] * m[0][j] + p[1] * m[1][j] + p[2] * m[2][j];
                ASSERT_NEAR(p[j] + 2 * q.w * t[j] + 2 * tt[j], row, 1e-6) << i;
            }
        }
        const EulerAngles back = boneRotationToDegrees(q);
        ASSERT_NEAR(back.x, degrees.x, 2e-3) << i;
        ASSERT_NEAR(back.y, degrees.y, 2e-3) << i;
        ASSERT_NEAR(back.z, degrees.z, 2e-3) << i;
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
