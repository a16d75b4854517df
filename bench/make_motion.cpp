// Writes a generated motion: `qlx_make_motion BONES PATH` for the benchmark's shape,
// `qlx_make_motion BONES PATH MORPHS CAMERAS LIGHTS` for any other, and
// `qlx_make_motion BONES PATH distinct|crafted` for bone keys alone, each its own name.
#include "bench/motion_generator.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

int main(int argc, char** argv) {
    using qlx::bench::BoneNames;
    if (argc != 3 && argc != 4 && argc != 6) {
        std::fputs(
            "usage: qlx_make_motion BONES PATH [MORPHS CAMERAS LIGHTS | distinct | crafted]\n",
            stderr);
        return 2;
    }
    const auto count = [&](int i) { return std::strtoull(argv[i], nullptr, 10); };
    auto shape = argc == 6 ? qlx::bench::MotionShape{count(1), count(3), count(4), count(5)}
                           : qlx::bench::benchmarkShape(count(1));
    if (argc == 4) {
        shape = {count(1), 0, 0, 0,
                 std::string_view(argv[3]) == "crafted" ? BoneNames::Crafted : BoneNames::Distinct};
    }
    return qlx::bench::writeMotion(shape, argv[2]) ? 0 : 1;
}
