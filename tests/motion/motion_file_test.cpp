// The binary motion file: its parts read where they lie and written in file order, every byte
// kept, the bytes after the light keys included, and bytes that end where a count would begin.
#include "motion/motion_file.h"

#include "tests/support/motion_document.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

namespace qlx::motion {
namespace {

using test::documentOf;
using test::MotionDocument;
using test::ofVersion;
using test::save;
using test::savedBytes;

using namespace std::string_literals;

// Load and save keep every byte in file order, the bytes after the light keys included.
TEST(MotionFile, LoadAndSaveKeepEveryByte) {
    const std::string empty = "Quorlane Motion Data 0002\0\0\0\0\0"s +
                              std::string(kDefaultModelName) + std::string(28, '\0');
    EXPECT_EQ(savedBytes(MotionDocument{}), empty);
    // Bytes that end where a count would begin hold no more keys; inside a count they are no
    // motion.
    for (std::size_t size = 0; size <= empty.size(); ++size) {
        const auto view = parseMotion(std::as_bytes(std::span(empty).first(size)));
        const std::size_t counts = kHeaderSize + 20; // where the first count begins
        EXPECT_EQ(view.has_value(), size >= counts && (size - counts) % 4 == 0) << size;
    }
    for (const char* suffix : {"file", "0002"}) {
        MotionDocument document = ofVersion(suffix);
        document.headerWord = 0x11223344;
        document.setModelName("a long model name!!!");
        for (const int frame : {5, -1}) { // records in file order, whatever their keys
            test::setName(document.bones.emplace_back().name, "abcdefghijklmno");
            document.bones.back().frame = frame;
            document.morphs.emplace_back().frame = frame;
            document.cameras.emplace_back().frame = frame;
        }
        document.morphs.back().weight = 0.5f;
        document.lights.resize(1);
        for (const char c : "after the lights") {
            document.tail.push_back(std::byte(c));
        }
        const std::string bytes = savedBytes(document);
        EXPECT_EQ(bytes.size(),
                  30 + (suffix[0] == 'f' ? 10 : 20) + 16 + 2 * 111 + 2 * 23 + 2 * 61 + 28 + 17);
        EXPECT_EQ(bytes.substr(kMagicSize, 4), "\x44\x33\x22\x11");
        const auto view = parseMotion(std::as_bytes(std::span(bytes)));
        ASSERT_TRUE(view);
        const MotionDocument loaded = documentOf(*view);
        EXPECT_EQ(loaded.modelName(), document.modelName());
        EXPECT_EQ(savedBytes(loaded), bytes);
    }
}

} // namespace
} // namespace qlx::motion
