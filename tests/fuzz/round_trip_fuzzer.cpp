// Any bytes made into a valid motion: laid out as CSV text and walked back, it keeps what the
// text carries, and a second layout repeats the first but for the bone angles.
#include "tests/support/round_trip.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!qlx::test::roundTripFault(qlx::test::motionFromBytes({data, size}, 6)).empty()) {
        std::abort();
    }
    return 0;
}
