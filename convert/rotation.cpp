// Quaternion and angle conversions. Matrix elements and quaternion components are single
// precision; angles and scalings are computed in double and rounded to single once.
#include "convert/rotation.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace qlx::convert {

namespace {

constexpr float kDegenerateThreshold = 1e-6f;

// The one narrowing step: a double-precision result stored as single precision.
float toSingle(double value) {
    return static_cast<float>(value);
}

} // namespace

EulerAngles quaternionToEuler(Quaternion q) {
    const auto [x, y, z, w] = q;
    // The five elements of the quaternion's rotation matrix that the angles need, and two more
    // for the case where the pitch is a right angle.
    const float m12 = 2.0f * (x * y + z * w);
    const float m22 = 1.0f - 2.0f * (x * x + z * z);
    const float m31 = 2.0f * (x * z + y * w);
    const float m32 = 2.0f * (y * z - x * w);
    const float m33 = 1.0f - 2.0f * (x * x + y * y);

    EulerAngles angles{};
    angles.z = toSingle(std::atan2(double{m12}, double{m22}));
    angles.x = toSingle(std::asin(-double{m32}));
    angles.y = toSingle(std::atan2(double{m31}, double{m33}));
    const float cosX = std::fabs(toSingle(std::cos(double{angles.x})));
    if (cosX < kDegenerateThreshold) {
        // At a pitch of +-90 degrees yaw and roll turn about the same axis: put the whole turn
        // into the roll, read from the elements that still carry it, so the key survives.
        const float m11 = 1.0f - 2.0f * (y * y + z * z);
        const float m13 = 2.0f * (x * z - y * w);
        angles.y = 0.0f;
        angles.z = m32 < 0.0f ? toSingle(std::atan2(double{m13}, double{m11}))
                              : toSingle(std::atan2(-double{m13}, double{m11}));
    }
    return angles;
}

Quaternion eulerToQuaternion(EulerAngles radians) {
    const double yaw = radians.y;
    const double pitch = radians.x;
    const double roll = radians.z;
    const float sy = toSingle(std::sin(yaw / 2));
    const float cy = toSingle(std::cos(yaw / 2));
    const float sp = toSingle(std::sin(pitch / 2));
    const float cp = toSingle(std::cos(pitch / 2));
    const float sr = toSingle(std::sin(roll / 2));
    const float cr = toSingle(std::cos(roll / 2));
    return {sy * cp * sr + cy * sp * cr, sy * cp * cr - cy * sp * sr, cy * cp * sr - sy * sp * cr,
            cy * cp * cr + sy * sp * sr};
}

// Export divides then multiplies, import multiplies then divides: each is one fixed order.
double radiansInDegrees(float radians) {
    return double{radians} / std::numbers::pi * 180.0;
}

float radiansToDegrees(float radians) {
    return toSingle(radiansInDegrees(radians));
}

float degreesToRadians(double degrees) {
    return toSingle(degrees * std::numbers::pi / 180.0);
}

// An angle that is no number is the one quiet NaN: which NaN a math library returns for one is
// its own choice (the browser's differs from glibc's), and the text must be the same everywhere.
EulerAngles boneRotationToDegrees(Quaternion rotation) {
    const EulerAngles radians = quaternionToEuler(rotation);
    const auto degrees = [](float angle) {
        return std::isnan(angle) ? std::numeric_limits<float>::quiet_NaN()
                                 : radiansToDegrees(angle);
    };
    return {degrees(radians.x), degrees(radians.y), degrees(radians.z)};
}

Quaternion boneRotationFromDegrees(EulerAngles degrees) {
    return eulerToQuaternion(
        {degreesToRadians(degrees.x), degreesToRadians(degrees.y), degreesToRadians(degrees.z)});
}

} // namespace qlx::convert
