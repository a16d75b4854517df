// Writes a generated motion: `qlx_make_motion BONES PATH` for the benchmark's shape, or
// `qlx_make_motion BONES PATH MORPHS CAMERAS LIGHTS` for any other.
#include "bench/motion_generator.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3 && argc != 6) {
        std::fputs("usage: qlx_make_motion BONES PATH [MORPHS CAMERAS LIGHTS]\n", stderr);
        return 2;
    }
    const auto count = [&](int i) { return std::strtoull(argv[i], nullptr, 10); };
    const auto shape = argc == 3 ? qlx::bench::benchmarkShape(count(1))
                                 : qlx::bench::MotionShape{count(1), count(3), count(4), count(5)};
    return qlx::bench::writeMotion(shape, argv[2]) ? 0 : 1;
}
