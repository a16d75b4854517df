// The four keyframe records, each the packed little-endian byte image of its form in the binary
// motion file, with the defaults a new record starts from.
#pragma once

#include "motion/little_endian.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace qlx::motion {

using Interpolation64 = std::array<std::uint8_t, 64>;
using Interpolation24 = std::array<std::uint8_t, 24>;

inline constexpr Interpolation64 kBoneDefaultInterpolation = [] {
    // Four runs of 16: 8 x 0x14 then 8 x 0x6B, each run shifted left by one byte with a
    // further byte (01, then 00) appended.
    constexpr std::array<std::uint8_t, 19> pattern = {0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14,
                                                      0x14, 0x6B, 0x6B, 0x6B, 0x6B, 0x6B, 0x6B,
                                                      0x6B, 0x6B, 0x01, 0x00, 0x00};
    Interpolation64 bytes{};
    for (std::size_t run = 0; run < 4; ++run) {
        for (std::size_t i = 0; i < 16; ++i) {
            bytes[run * 16 + i] = pattern[run + i];
        }
    }
    return bytes;
}();

inline constexpr Interpolation24 kCameraDefaultInterpolation = [] {
    Interpolation24 bytes{};
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        bytes[i] = 0x14;
        bytes[i + 1] = 0x6B;
    }
    return bytes;
}();

struct BoneKey {
    std::array<char, 15> name{};
    Int32 frame;
    std::array<Float32, 3> position;
    std::array<Float32, 4> rotation; // quaternion x, y, z, w; all zero by default
    Interpolation64 interpolation = kBoneDefaultInterpolation;
};

struct MorphKey {
    std::array<char, 15> name{};
    Int32 frame;
    Float32 weight;
};

struct CameraKey {
    Int32 frame;
    Float32 distance;
    std::array<Float32, 3> position;
    std::array<Float32, 3> rotation; // radians about x, y, z
    Interpolation24 interpolation = kCameraDefaultInterpolation;
    Int32 viewAngle = 35;
    std::uint8_t perspective = 0;
};

struct LightKey {
    Int32 frame;
    std::array<Float32, 3> colour;
    std::array<Float32, 3> direction;
};

static_assert(sizeof(BoneKey) == 111 && alignof(BoneKey) == 1);
static_assert(sizeof(MorphKey) == 23 && alignof(MorphKey) == 1);
static_assert(sizeof(CameraKey) == 61 && alignof(CameraKey) == 1);
static_assert(sizeof(LightKey) == 28 && alignof(LightKey) == 1);
static_assert(offsetof(BoneKey, frame) == 15 && offsetof(BoneKey, position) == 19 &&
              offsetof(BoneKey, rotation) == 31 && offsetof(BoneKey, interpolation) == 47);
static_assert(offsetof(MorphKey, frame) == 15 && offsetof(MorphKey, weight) == 19);
static_assert(offsetof(CameraKey, distance) == 4 && offsetof(CameraKey, position) == 8 &&
              offsetof(CameraKey, rotation) == 20 && offsetof(CameraKey, interpolation) == 32 &&
              offsetof(CameraKey, viewAngle) == 56 && offsetof(CameraKey, perspective) == 60);
static_assert(offsetof(LightKey, colour) == 4 && offsetof(LightKey, direction) == 16);
static_assert(std::is_trivially_copyable_v<BoneKey> && std::is_trivially_copyable_v<MorphKey> &&
              std::is_trivially_copyable_v<CameraKey> && std::is_trivially_copyable_v<LightKey>);

// The last 29 bytes of a camera key as stored: interpolation, view angle (low byte first) and
// the perspective flag. The CSV carries them as one block.
inline constexpr std::size_t kCameraTailOffset = offsetof(CameraKey, interpolation);
inline constexpr std::size_t kCameraTailSize = sizeof(CameraKey) - kCameraTailOffset;
static_assert(kCameraTailSize == 29);

inline std::span<std::uint8_t, kCameraTailSize> cameraTail(CameraKey& key) {
    return std::span<std::uint8_t, kCameraTailSize>(
        reinterpret_cast<std::uint8_t*>(&key) + kCameraTailOffset, kCameraTailSize);
}
inline std::span<const std::uint8_t, kCameraTailSize> cameraTail(const CameraKey& key) {
    return std::span<const std::uint8_t, kCameraTailSize>(
        reinterpret_cast<const std::uint8_t*>(&key) + kCameraTailOffset, kCameraTailSize);
}

} // namespace qlx::motion
