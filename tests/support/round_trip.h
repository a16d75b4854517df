// Motions made of any bytes, and the round trip through CSV text that every motion survives.
#pragma once

#include "tests/support/motion_document.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace qlx::test {

// A motion of up to `maxKeys` keys of each kind whose header, records and tail are the given
// bytes (zeros once they run out), except that key names are neither empty nor question marks
// alone (which the import says of), morph names hold no white space at their ends,
// which the CSV form drops, and bone rotations are unit quaternions.
test::MotionDocument motionFromBytes(std::span<const std::uint8_t> bytes, std::size_t maxKeys);

// The motion that the rows of CSV text make up, walked as the import walks them; nothing when
// they make up none.
std::optional<test::MotionDocument> walked(std::string_view csv);

// Lays the motion out as CSV text, walks the text into a motion file, loads it and lays it out
// again. Empty when the walk read every field as written, the second text repeats the first but
// for the bone angles, and each bone rotation away from a right-angled pitch came back up to
// sign; otherwise what differed.
std::string roundTripFault(const test::MotionDocument& document);

} // namespace qlx::test
