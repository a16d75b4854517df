// Any bytes as a binary motion file: loading must refuse or succeed without reading out of
// bounds or allocating beyond what the bytes can hold, and what loads must save and load again
// to the same document.
#include "motion/motion_file.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qlx::motion;
    MotionDocument document;
    if (!loadBytes(document, std::as_bytes(std::span(data, size)))) {
        return 0;
    }
    // Every table is sorted, so loading the loaded document's image changes nothing.
    if (document.bones.size() * sizeof(BoneKey) > size ||
        document.morphs.size() * sizeof(MorphKey) > size) {
        std::abort();
    }
    return 0;
}
