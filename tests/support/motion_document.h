// A motion that the tests hold whole: its tables and the bytes after them owned, made from a
// view of a file's bytes, viewed as a file's bytes are, and saved as a motion file.
#pragma once

#include "motion/motion_view.h"
#include "platform/large_vector.h"

#include <filesystem>
#include <string>

namespace qlx::test {

struct MotionDocument : motion::MotionHeader {
    platform::LargeVector<motion::BoneKey> bones;
    platform::LargeVector<motion::MorphKey> morphs;
    platform::LargeVector<motion::CameraKey> cameras;
    platform::LargeVector<motion::LightKey> lights;
    platform::LargeVector<std::byte> tail;
};

motion::MotionView viewOf(const MotionDocument& document);
MotionDocument documentOf(const motion::MotionView& view);

// Writes the document in its present order, its tail last, as the import writes a motion; false,
// with any existing file as it was, when the version is unrecognised or a write fails.
bool save(const MotionDocument& document, const std::filesystem::path& path);

// An empty document whose signature ends in the five characters of `suffix` (bytes 21 to 25).
MotionDocument ofVersion(const char* suffix);
// The bytes `save` writes for the document, or "not saved".
std::string savedBytes(const MotionDocument& document);

} // namespace qlx::test
