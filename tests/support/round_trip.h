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
// bytes (zeros once they run out), except that key names are neither empty nor hold a question
// mark, which the import says of.
test::MotionDocument motionFromBytes(std::span<const std::uint8_t> bytes, std::size_t maxKeys);

// The CSV text the export writes for the motion.
std::string csvOf(const test::MotionDocument& document);

// The motion that the rows of CSV text make up, walked as the import walks them; nothing when
// they make up none.
std::optional<test::MotionDocument> walked(std::string_view csv);

// Lays the motion out as CSV text, walks the text into a motion file, loads it and lays it out
// again. Empty when the walk read every field as written, every record came back in key order
// byte for byte (but for a name's bytes after its end and a NaN's payload in a value other than a
// bone rotation), and the second text repeats the first; otherwise what differed. A text that
// reads as UTF-8 has its names stored in Shift-JIS: only that it walks back is asked of it.
std::string roundTripFault(const test::MotionDocument& document);

} // namespace qlx::test
