// The export as a library call: the worked example byte for byte, broken motion files, outputs
// that cannot be written, and round trips of every byte of a motion, random bytes included.
#include "convert/export.h"

#include "convert/conversion.h"
#include "motion/motion_file.h"
#include "tests/support/motion_document.h"
#include "tests/support/round_trip.h"
#include "tests/support/support.h"
#include "tests/support/worked_example.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

namespace qlx::convert {
namespace {

using test::convertBeside;
using test::kWorkedExampleCsv;
using test::MotionDocument;
using test::readBytes;
using test::ScratchDir;
using test::setName;
using test::workedExample;

// In a folder whose name holds dots, a blank and Japanese.
TEST(Export, WritesTheWorkedExampleAndReadsItBack) {
    ScratchDir dir;
    const auto input = dir / "dots.in \x93\xFA" / "take.qlx";
    std::filesystem::create_directory(input.parent_path());
    ASSERT_TRUE(test::save(workedExample(), input));
    const std::string binary = readBytes(input);
    ASSERT_EQ(exportToCsv(input).status, Status::Ok);
    const auto csv = std::filesystem::path(input).replace_extension(".csv");
    EXPECT_EQ(readBytes(csv), kWorkedExampleCsv);
    // Imported, the file is the same motion, whose export is the same text.
    ASSERT_EQ(importFromCsv(csv).status, Status::Ok);
    EXPECT_EQ(readBytes(input).size(), binary.size());
    std::filesystem::remove(csv);
    ASSERT_EQ(exportToCsv(input).status, Status::Ok);
    EXPECT_EQ(readBytes(csv), kWorkedExampleCsv);
}

TEST(Export, BrokenOrMissingInputsAreRefused) {
    MotionDocument document = workedExample();
    document.bones.resize(2);
    document.lights.resize(2);
    ScratchDir dir;
    ASSERT_TRUE(test::save(document, dir / "take.qlx"));
    const std::string binary = readBytes(dir / "take.qlx");
    // A file may end where a count would begin: the tables after it are empty.
    using motion::kHeaderSize;
    const std::size_t counts[] = {kHeaderSize + 20, kHeaderSize + 24 + 2 * 111,
                                  kHeaderSize + 28 + 2 * 111 + 23,
                                  kHeaderSize + 32 + 2 * 111 + 23 + 61};
    for (std::size_t size = 0; size < binary.size(); ++size) {
        const bool whole = std::ranges::find(counts, size) != std::end(counts);
        ASSERT_EQ(convertBeside("take.qlx", binary.substr(0, size)),
                  whole ? Status::Ok : Status::OpenError)
            << size;
    }
    for (const std::size_t offset : {counts[0], counts[2], counts[3]}) { // counts beyond the file
        std::string changed = binary;
        std::memset(changed.data() + offset, 0xFF, 4);
        EXPECT_EQ(convertBeside("take.qlx", changed), Status::OpenError) << offset;
    }
    std::string unknown = binary;
    unknown[motion::kVersionOffset + 3] = '3';
    EXPECT_EQ(convertBeside("take.qlx", unknown), Status::OpenError);
    EXPECT_EQ(exportToCsv(dir / "missing.qlx").status, Status::OpenError);
    EXPECT_EQ(exportToCsv(dir / "nodot").status, Status::OpenError);
}

// An output path that is a folder, or a file name without a dot (whose output would be itself),
// fails with every file as it was.
TEST(Export, OutputsThatCannotBeWritten) {
    ScratchDir dir;
    ASSERT_TRUE(test::save(workedExample(), dir / "take.qlx"));
    std::filesystem::create_directory(dir / "take.csv");
    EXPECT_EQ(exportToCsv(dir / "take.qlx").status, Status::WriteError);
    std::filesystem::create_directory(dir / "in.qlx");
    std::filesystem::copy_file(dir / "take.qlx", dir / "in.qlx" / "x");
    EXPECT_EQ(exportToCsv(dir / "in.qlx" / "x").status, Status::OpenError);
    EXPECT_EQ(dir.entries(), 3u);
    EXPECT_FALSE(std::filesystem::exists(dir / "in.csv"));
}

// Texts a plain field cannot hold, or that a separator other than the comma would split, morph
// names with blanks at their ends, rotations no angles carry, and bytes after the light keys come
// back byte for byte, in either version, and the CSV is a fixed point.
TEST(Export, EveryByteOfAMotionComesBack) {
    for (const char* version : {"0002", "file"}) {
        MotionDocument document = test::ofVersion(version);
        setMagic(document, std::string("Quor;lane,\t\"Motion\" 0") + version);
        document.headerWord = -7;
        document.setModelName("m,\r\nn;");
        for (const std::string name : {"arm,L", "\"q\"", "line\nfeed", "a;b", "\tx", " 1 ", "1 "}) {
            setName(document.bones.emplace_back().name, name);
            document.bones.back().rotation = {-0.5f, 0.5f, NAN, -1e-40f};
            setName(document.morphs.emplace_back().name, name);
            document.morphs.back().weight = 1.0f / 3;
        }
        for (const char c : std::string("\0after\r\n,\"the lights\xFF", 19)) {
            document.tail.push_back(std::byte(c));
        }
        EXPECT_EQ(test::roundTripFault(document), "") << version;
    }
}

// The first motion's bones span several of the chunks that the export formats side by side.
TEST(Export, MotionsOfRandomBytesRoundTrip) {
    std::mt19937 random(7);
    for (int motion = 0; motion < 8; ++motion) {
        std::vector<std::uint8_t> bytes(motion == 0 ? 2'000'000 : 300'000);
        std::ranges::generate(bytes, [&] { return static_cast<std::uint8_t>(random()); });
        if (motion == 0) {
            // The count after the 24 header bytes.
            const auto bones = static_cast<std::uint32_t>(3 * kChunkKeys + 5);
            std::memcpy(bytes.data() + 24, &bones, 4);
        }
        EXPECT_EQ(test::roundTripFault(test::motionFromBytes(bytes, motion == 0 ? 16'000 : 400)),
                  "")
            << motion;
    }
}

} // namespace
} // namespace qlx::convert
