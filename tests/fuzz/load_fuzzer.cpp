// Any bytes as a binary motion file: loading refuses or succeeds without reading out of bounds,
// and never holds more records than the bytes could carry.
#include "motion/motion_file.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qlx::motion;
    const auto motion = parseMotion(std::as_bytes(std::span(data, size)));
    if (motion && motion->bones.size_bytes() + motion->morphs.size_bytes() +
                          motion->cameras.size_bytes() + motion->lights.size_bytes() +
                          motion->tail.size() >
                      size) {
        std::abort();
    }
    return 0;
}
