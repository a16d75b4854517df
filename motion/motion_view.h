// A keyframe motion as the program holds it: its 30-byte header with the two model-name fields
// (one active per version), and a view of its four keyframe tables and the bytes after them.
#pragma once

#include "motion/records.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace qlx::motion {

enum class MotionVersion { Legacy, Current, Unrecognised };

inline constexpr std::size_t kMagicSize = 26;
// The magic, then the header word.
inline constexpr std::size_t kHeaderSize = kMagicSize + 4;
// Where in the magic the version suffix ("file" or "0002", and a NUL) stands.
inline constexpr std::size_t kVersionOffset = 21;

// The Shift-JIS bytes of the default current model's name.
inline constexpr std::string_view kDefaultModelName = "\x90\x58\x96\xEC\x83\x86\x83\x89";

// The 30-byte header of a motion and its two model-name fields, one active per version.
struct MotionHeader {
    // "Quorlane Motion Data 0002" and one NUL.
    std::array<char, kMagicSize> magic = {'Q', 'u', 'o', 'r', 'l', 'a', 'n', 'e', ' ',
                                          'M', 'o', 't', 'i', 'o', 'n', ' ', 'D', 'a',
                                          't', 'a', ' ', '0', '0', '0', '2', '\0'};
    std::int32_t headerWord = 0;
    std::array<char, 10> shortModelName = {'t', 'a', 'v', 'o'};
    std::array<char, 20> longModelName = [] {
        std::array<char, 20> name{};
        kDefaultModelName.copy(name.data(), kDefaultModelName.size());
        return name;
    }();

    // Read from bytes 21-25 of `magic` each time, so editing `magic` switches the version.
    MotionVersion version() const;

    // The whole model-name field that the version selects (10 or 20 bytes), or an empty span
    // when the version is unrecognised.
    std::span<char> activeModelName();
    std::span<const char> activeModelName() const;

    // The active model name up to its first NUL (at most the field's width), or nothing when
    // the version is unrecognised.
    std::optional<std::string_view> modelName() const;

    // Copies `text` (up to its first NUL) into the active field: at most the field's width,
    // with a NUL after it only when shorter; later bytes keep their contents. Says how many
    // bytes it copied.
    std::size_t setModelName(std::string_view text);
};

// Sets `magic` from a signature text: at most 25 bytes, then a NUL, so that the text's own
// bytes 21-24 and its end decide the version. Says how many bytes it copied.
std::size_t setMagic(MotionHeader& header, std::string_view text);

// A motion whose tables and tail lie where something else keeps them: a file's bytes.
struct MotionView : MotionHeader {
    std::span<const BoneKey> bones;
    std::span<const MorphKey> morphs;
    std::span<const CameraKey> cameras;
    std::span<const LightKey> lights;
    std::span<const std::byte> tail;
};

} // namespace qlx::motion
