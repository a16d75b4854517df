// Any bytes as a binary motion file: loading refuses or succeeds without reading out of bounds,
// and never holds more records than the bytes could carry.
#include "motion/motion_file.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qlx::motion;
    MotionDocument document;
    if (loadBytes(document, std::as_bytes(std::span(data, size))) &&
        document.bones.size() * sizeof(BoneKey) + document.morphs.size() * sizeof(MorphKey) +
                document.cameras.size() * sizeof(CameraKey) +
                document.lights.size() * sizeof(LightKey) >
            size) {
        std::abort();
    }
    return 0;
}
