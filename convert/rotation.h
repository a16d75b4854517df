// The rotation convention that links the two files: bone quaternions become three angles in
// degrees and back, camera angles radians and back. Pure functions of single-precision values.
//
// A triple (X, Y, Z) stands for roll about Z, then pitch about X, then yaw about Y, for row
// vectors multiplied from the right: M = Rz(Z) * Rx(X) * Ry(Y).
#pragma once

namespace qlx::convert {

struct Quaternion {
    float x, y, z, w;
};

struct EulerAngles {
    float x, y, z; // about X (pitch), Y (yaw) and Z (roll)
};

// Radians. X lies in [-90, 90] degrees, Y and Z in [-180, 180]; the quaternion is used as it
// stands, never normalised, so q and -q give the same angles.
EulerAngles quaternionToEuler(Quaternion q);
// Radians in; the quaternion of yaw Y, pitch X and roll Z, not normalised.
Quaternion eulerToQuaternion(EulerAngles radians);

// Degrees unrounded, and rounded to single precision once.
double radiansInDegrees(float radians);
float radiansToDegrees(float radians);
float degreesToRadians(double degrees);

EulerAngles boneRotationToDegrees(Quaternion rotation);
Quaternion boneRotationFromDegrees(EulerAngles degrees);

} // namespace qlx::convert
