// Hostile and broken input through the real conversions: every truncation of a small motion in
// both forms, counts raised to the limit, outputs that cannot be written, and awkward paths.
// Each gives its status quickly, leaves no stray file and never touches an existing output.
#include "convert/conversion.h"

#include "motion/motion_file.h"
#include "tests/support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

namespace qlx::convert {
namespace {

using test::readBytes;
using test::ScratchDir;
using test::writeBytes;

// A small motion with keys of every kind, saved as `take.qlx`, and its CSV form.
struct SmallMotion {
    std::string binary;
    std::string csv;
    std::string reimported; // the binary file imported from `csv`
};

const SmallMotion& smallMotion() {
    static const SmallMotion motion = [] {
        motion::MotionDocument document;
        document.bones.resize(2);
        std::memcpy(document.bones[1].name.data(), "arm", 3);
        document.morphs.resize(2);
        document.cameras.resize(1);
        document.lights.resize(2);
        ScratchDir dir;
        motion::save(document, dir / "take.qlx");
        exportToCsv(dir / "take.qlx");
        const std::string binary = readBytes(dir / "take.qlx");
        importFromCsv(dir / "take.csv");
        return SmallMotion{binary, readBytes(dir / "take.csv"), readBytes(dir / "take.qlx")};
    }();
    return motion;
}

// Runs a conversion on `input` written as `name` in a fresh folder that already holds an output
// file; returns the status after checking what the folder holds.
int convertInFolder(const std::string& name, const std::string& input,
                    const std::string& outputName) {
    ScratchDir dir;
    writeBytes(dir / name, input);
    writeBytes(dir / outputName, "previous output");
    const auto start = std::chrono::steady_clock::now();
    const int status = name.ends_with(".qlx") ? exportToCsv(dir / name) : importFromCsv(dir / name);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(dir.entries().size(), 2u) << "no stray file";
    if (status != kStatusOk) {
        EXPECT_EQ(readBytes(dir / outputName), "previous output");
    }
    return status;
}

TEST(FaultMatrix, EveryTruncatedBinaryIsRefused) {
    const std::string& binary = smallMotion().binary;
    for (std::size_t size = 0; size < binary.size(); ++size) {
        EXPECT_EQ(convertInFolder("take.qlx", binary.substr(0, size), "take.csv"), kStatusOpenError)
            << size;
    }
    EXPECT_EQ(convertInFolder("take.qlx", binary, "take.csv"), kStatusOk);
}

TEST(FaultMatrix, EveryCountAtTheLimitIsRefused) {
    const std::string& binary = smallMotion().binary;
    const std::size_t offsets[] = {50, 54 + 2 * 111, 58 + 2 * 111 + 2 * 23,
                                   62 + 2 * 111 + 2 * 23 + 61};
    for (const std::size_t offset : offsets) {
        ASSERT_EQ(binary[offset], offset == offsets[2] ? 1 : 2);
        std::string changed = binary;
        std::memset(changed.data() + offset, 0xFF, 4);
        EXPECT_EQ(convertInFolder("take.qlx", changed, "take.csv"), kStatusOpenError) << offset;
    }
}

TEST(FaultMatrix, EveryTruncatedCsvGivesItsStatus) {
    const std::string& csv = smallMotion().csv;
    // The complete file has 13 lines; without its last line end the last light row is the last
    // row; cut anywhere earlier the rows do not make up the motion.
    std::size_t lineEnds = 0;
    for (std::size_t size = 0; size <= csv.size(); ++size) {
        const int status = convertInFolder("take.csv", csv.substr(0, size), "take.qlx");
        EXPECT_EQ(status, size == csv.size() ? kStatusOk : kStatusIncomplete) << size;
        lineEnds += size > 0 && csv[size - 1] == '\n' ? 1u : 0u;
    }
    EXPECT_EQ(lineEnds, 13u);
}

TEST(FaultMatrix, OverrunningCountsFailAtOnce) {
    const std::string header = "Quorlane Motion Data 0002,0\r\nm\r\n";
    for (const std::string_view counts :
         {"4294967295\r\n0\r\n0\r\n0\r\n", "0\r\n4294967295\r\n0\r\n0\r\n",
          "0\r\n0\r\n4294967295\r\n0\r\n", "0\r\n0\r\n0\r\n4294967295\r\n",
          "3\r\n,1\r\n,2\r\n0\r\n0\r\n0\r\n"}) {
        EXPECT_EQ(convertInFolder("take.csv", header + std::string(counts), "take.qlx"),
                  kStatusIncomplete)
            << counts;
    }
}

TEST(FaultMatrix, OutputsThatCannotBeWritten) {
    ScratchDir dir;
    // The output path replaces the four characters from the last dot, here in a folder's name:
    // "in.qlx/x" becomes "in.csv/x", in a folder that does not exist.
    std::filesystem::create_directory(dir / "in.qlx");
    writeBytes(dir / "in.qlx" / "x", smallMotion().binary);
    EXPECT_EQ(exportToCsv(dir / "in.qlx" / "x"), kStatusWriteError);

    writeBytes(dir / "take.qlx", smallMotion().binary);
    writeBytes(dir / "take.csv.keep", "");
    std::filesystem::create_directory(dir / "take.csv");
    EXPECT_EQ(exportToCsv(dir / "take.qlx"), kStatusWriteError);
    writeBytes(dir / "back.csv", smallMotion().csv);
    std::filesystem::create_directory(dir / "back.qlx");
    EXPECT_EQ(importFromCsv(dir / "back.csv"), kStatusWriteError);
    EXPECT_EQ(dir.entries().size(), 6u);
}

TEST(FaultMatrix, AwkwardPathsConvert) {
    const std::string names[] = {
        "with spaces/take one.qlx",
        "dots.in.folder/take.qlx",
        "\x93\xFA\x96\x7B\x8C\xEA/\x83\x82\x81\x5B\x83\x56\x83\x87\x83\x93.qlx", // Shift-JIS
        "\xE6\x97\xA5\xE6\x9C\xAC/"
        "\xE3\x83\xA2\xE3\x83\xBC\xE3\x82\xB7\xE3\x83\xA7\xE3\x83\xB3.qlx", // UTF-8
        std::string(200, 'f') + "/" + std::string(240, 'n') + ".qlx",
    };
    for (const auto& name : names) {
        ScratchDir dir;
        const auto input = dir / name;
        std::filesystem::create_directories(input.parent_path());
        writeBytes(input, smallMotion().binary);
        ASSERT_EQ(exportToCsv(input), kStatusOk) << name;
        auto csv = input;
        csv.replace_extension(".csv");
        EXPECT_EQ(readBytes(csv), smallMotion().csv) << name;
        std::filesystem::remove(input);
        ASSERT_EQ(importFromCsv(csv), kStatusOk) << name;
        EXPECT_EQ(readBytes(input), smallMotion().reimported) << name;
    }
}

} // namespace
} // namespace qlx::convert
