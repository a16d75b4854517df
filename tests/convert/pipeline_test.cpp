// Both conversions as library calls: the worked example byte for byte, row order, statuses,
// the import's row-count rules, and round trips over random motions.
#include "convert/conversion.h"

#include "bench/motion_generator.h"
#include "convert/rotation.h"
#include "motion/motion_file.h"
#include "tests/support.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <random>

namespace qlx::convert {
namespace {

using motion::MotionDocument;
using test::readBytes;
using test::ScratchDir;
using test::writeBytes;

const std::string kWorkedExample =
    "Quorlane Motion Data 0002,0\r\n"
    "\x90\x58\x96\xEC\x83\x86\x83\x89\r\n"
    "1\r\n"
    "wrist_R,30,0,1.5,-2.25,30,0,0,0x14141414141414146B6B6B6B6B6B6B6B141414141414146B6B6B6B6B6B6B"
    "6B011414141414146B6B6B6B6B6B6B6B010014141414146B6B6B6B6B6B6B6B010000\r\n"
    "1\r\n"
    "blink,12,0.75\r\n"
    "1\r\n"
    "0,-45,0,10,0,10,180,0,0x146B146B146B146B146B146B146B146B146B146B146B146B2300000000\r\n"
    "1\r\n"
    "0,0.6,0.6,0.6,-0.5,-1,0.5\r\n";

template <std::size_t N> void setName(std::array<char, N>& field, std::string_view text) {
    field.fill('\0');
    std::memcpy(field.data(), text.data(), std::min(text.size(), N));
}

MotionDocument workedExample() {
    MotionDocument document;
    document.bones.resize(1);
    auto& bone = document.bones[0];
    setName(bone.name, "wrist_R");
    bone.frame = 30;
    bone.position = {0.0f, 1.5f, -2.25f};
    bone.rotation = {0.25881904f, 0.0f, 0.0f, 0.96592583f};
    document.morphs.resize(1);
    setName(document.morphs[0].name, "blink");
    document.morphs[0].frame = 12;
    document.morphs[0].weight = 0.75f;
    document.cameras.resize(1);
    document.cameras[0].distance = -45.0f;
    document.cameras[0].position = {0.0f, 10.0f, 0.0f};
    document.cameras[0].rotation = {degreesToRadians(10), degreesToRadians(180), 0.0f};
    document.lights.resize(1);
    document.lights[0].colour = {0.6f, 0.6f, 0.6f};
    document.lights[0].direction = {-0.5f, -1.0f, 0.5f};
    return document;
}

TEST(Pipelines, WorkedExampleBothWays) {
    ScratchDir dir;
    ASSERT_TRUE(motion::save(workedExample(), dir / "take.qlx"));
    ASSERT_EQ(exportToCsv(dir / "take.qlx"), kStatusOk);
    EXPECT_EQ(readBytes(dir / "take.csv"), kWorkedExample);

    std::filesystem::remove(dir / "take.qlx");
    ASSERT_EQ(importFromCsv(dir / "take.csv"), kStatusOk);
    MotionDocument back;
    ASSERT_TRUE(motion::load(back, dir / "take.qlx"));
    const MotionDocument expected = workedExample();
    EXPECT_EQ(back.magic, expected.magic);
    EXPECT_EQ(back.longModelName, expected.longModelName);
    ASSERT_EQ(back.bones.size(), 1u);
    EXPECT_EQ(back.bones[0].name, expected.bones[0].name);
    EXPECT_EQ(back.bones[0].position, expected.bones[0].position);
    EXPECT_NEAR(back.bones[0].rotation[0].get(), 0.25881904f, 1e-6f);
    EXPECT_EQ(back.morphs[0].name, expected.morphs[0].name);
    EXPECT_EQ(back.cameras[0].rotation, expected.cameras[0].rotation);
    EXPECT_EQ(0, std::memcmp(&back.cameras[0], &expected.cameras[0], sizeof(motion::CameraKey)));
    EXPECT_EQ(0, std::memcmp(&back.lights[0], &expected.lights[0], sizeof(motion::LightKey)));
}

TEST(Pipelines, ExportWritesSectionsInOrder) {
    ScratchDir dir;
    MotionDocument document;
    ASSERT_TRUE(motion::save(document, dir / "empty.qlx"));
    ASSERT_EQ(exportToCsv(dir / "empty.qlx"), kStatusOk);
    EXPECT_EQ(
        readBytes(dir / "empty.csv"),
        "Quorlane Motion Data 0002,0\r\n\x90\x58\x96\xEC\x83\x86\x83\x89\r\n0\r\n0\r\n0\r\n0\r\n");

    std::memcpy(document.magic.data() + 21, "file", 5);
    document.bones.resize(2);
    document.bones[0].frame = 9;
    document.cameras.resize(1);
    std::filesystem::create_directory(dir / "a.b");
    ASSERT_TRUE(motion::save(document, dir / "a.b" / "take.qlx"));
    ASSERT_EQ(exportToCsv(dir / "a.b" / "take.qlx"), kStatusOk);
    const std::string text = readBytes(dir / "a.b" / "take.csv");
    std::vector<std::string> lines;
    for (std::size_t pos = 0; pos < text.size();) {
        const auto end = text.find("\r\n", pos);
        lines.push_back(text.substr(pos, end - pos).substr(0, 8));
        pos = end + 2;
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"Quorlane", "tavo", "2", ",0,0,0,0", ",9,0,0,0", "0",
                                               "1", "0,0,0,0,", "0"}));
}

TEST(Pipelines, ExportFailuresLeaveFilesAlone) {
    ScratchDir dir;
    EXPECT_EQ(exportToCsv(dir / "missing.qlx"), kStatusOpenError);
    EXPECT_EQ(exportToCsv(dir / "nodot"), kStatusOpenError);
    writeBytes(dir / "bad.qlx", "Quorlane Motion Data 0003");
    writeBytes(dir / "bad.csv", "keep");
    EXPECT_EQ(exportToCsv(dir / "bad.qlx"), kStatusOpenError);
    EXPECT_EQ(readBytes(dir / "bad.csv"), "keep");

    ASSERT_TRUE(motion::save(MotionDocument{}, dir / "ok.qlx"));
    std::filesystem::create_directory(dir / "ok.csv");
    EXPECT_EQ(exportToCsv(dir / "ok.qlx"), kStatusWriteError);
    EXPECT_EQ(dir.entries().size(), 4u);
}

TEST(Pipelines, ImportChecksTheRowsItNeeds) {
    const std::string header = "Quorlane Motion Data 0002,0\r\nmodel\r\n";
    const std::string bone = "arm,1,0,0,0,0,0,0,0x00\r\n";
    const struct {
        std::string name;
        std::string csv;
        int status;
    } cases[] = {
        {"six lines", header + "0\r\n0\r\n0\r\n0\r\n", kStatusOk},
        {"six lines without final line end", header + "0\r\n0\r\n0\r\n0", kStatusOk},
        {"export with lights, final line end", header + "0\r\n0\r\n0\r\n1\r\n0,0,0,0,0,0,0\r\n",
         kStatusOk},
        {"export with lights, no final line end", header + "0\r\n0\r\n0\r\n1\r\n0,0,0,0,0,0,0",
         kStatusIncomplete},
        {"no lights, no final line end", header + "1\r\n" + bone + "0\r\n0\r\n0", kStatusOk},
        {"empty file", "", kStatusIncomplete},
        {"three lines", header + "0", kStatusIncomplete},
        {"four lines", header + "0\r\n0", kStatusIncomplete},
        {"bone count overruns", header + "1000\r\n" + bone + bone + "0\r\n0\r\n0\r\n",
         kStatusIncomplete},
        {"count of 2^32-1", header + "4294967295\r\n" + bone + "0\r\n0\r\n0\r\n",
         kStatusIncomplete},
        {"light count overruns", header + "0\r\n0\r\n0\r\n2\r\n0\r\n", kStatusIncomplete},
        {"count row without field", header + "\r\n0\r\n0\r\n0\r\n", kStatusIncomplete},
        {"count that is no number", header + "x\r\n0\r\n0\r\n0\r\n", kStatusIncomplete},
        {"count read as a bone row", header + "2\r\n" + bone + "0\r\n0\r\n0\r\n0\r\n", kStatusOk},
        {"extra fields and rows",
         "Quorlane Motion Data 0002,0,x\r\nmodel,y\r\n0,z\r\n0\r\n0\r\n0\r\nmore\r\nrows\r\n",
         kStatusOk},
        {"empty model name line", "Quorlane Motion Data 0002,0\r\n\r\n0\r\n0\r\n0\r\n0\r\n",
         kStatusOk},
        {"model name of one comma", "Quorlane Motion Data 0002,0\r\n,\r\n0\r\n0\r\n0\r\n0\r\n",
         kStatusOk},
        {"legacy header", "Quorlane Motion Data file,0\r\nmodel\r\n0\r\n0\r\n0\r\n0\r\n",
         kStatusOk},
        {"unknown suffix", "Quorlane Motion Data 0003,0\r\nmodel\r\n0\r\n0\r\n0\r\n0\r\n",
         kStatusWriteError},
        {"suffix cut short", "Quorlane Motion Data 00,0\r\nmodel\r\n0\r\n0\r\n0\r\n0\r\n",
         kStatusWriteError},
        {"short header text", "abc,0\r\nmodel\r\n0\r\n0\r\n0\r\n0\r\n", kStatusOk},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        writeBytes(dir / "in.csv", c.csv);
        writeBytes(dir / "in.qlx", "previous");
        EXPECT_EQ(importFromCsv(dir / "in.csv"), c.status) << c.name;
        if (c.status != kStatusOk) {
            EXPECT_EQ(readBytes(dir / "in.qlx"), "previous") << c.name;
        }
        EXPECT_EQ(dir.entries().size(), 2u) << c.name;
    }
}

TEST(Pipelines, ImportStatesOfModelNameAndVersion) {
    ScratchDir dir;
    writeBytes(dir / "legacy.csv",
               "Quorlane Motion Data file,5\r\nabcdefghijklmnop\r\n0\r\n0\r\n0\r\n0\r\n");
    ASSERT_EQ(importFromCsv(dir / "legacy.csv"), kStatusOk);
    const std::string bytes = readBytes(dir / "legacy.qlx");
    EXPECT_EQ(bytes, std::string("Quorlane Motion Data file\0\5\0\0\0", 30) + "abcdefghij" +
                         std::string(16, '\0'));

    writeBytes(dir / "none.csv", "Quorlane Motion Data 0002,0\r\n\r\n0\r\n0\r\n0\r\n0\r\n");
    ASSERT_EQ(importFromCsv(dir / "none.csv"), kStatusOk);
    MotionDocument document;
    ASSERT_TRUE(motion::load(document, dir / "none.qlx"));
    EXPECT_EQ(document.modelName(), "");

    EXPECT_EQ(importFromCsv(dir / "missing.csv"), kStatusOpenError);
    EXPECT_EQ(importFromCsv(dir / "nodot"), kStatusOpenError);
}

TEST(Pipelines, OutputPathReplacesFourCharactersFromTheLastDot) {
    EXPECT_EQ(outputPath("a.b/take.qlx", ".csv"), std::filesystem::path("a.b/take.csv"));
    EXPECT_EQ(outputPath("take.q", ".csv"), std::filesystem::path("take.csv"));
    EXPECT_EQ(outputPath("take.qlxz", ".csv"), std::filesystem::path("take.csvz"));
    EXPECT_EQ(outputPath("a.b/take", ".csv"), std::filesystem::path("a.csvake"));
    EXPECT_FALSE(outputPath("take", ".csv"));
}

// Equal to six significant digits, infinities and NaN included.
void expectCarried(float actual, float expected) {
    if (std::isnan(expected)) {
        EXPECT_TRUE(std::isnan(actual));
    } else if (std::isinf(expected) || expected == 0.0f) {
        EXPECT_EQ(actual, expected);
    } else {
        EXPECT_NEAR(actual, expected, std::fabs(expected) * 5e-6f);
    }
}

std::vector<std::vector<std::string>> splitCsv(const std::string& text) {
    csv::CsvTable table;
    table.appendLines(std::string_view(text));
    std::vector<std::vector<std::string>> rows;
    for (std::size_t r = 0; r < csv::rowCount(table); ++r) {
        std::vector<std::string> fields;
        for (auto row = csv::rowAt(table, r); !row.empty(); row.popFront()) {
            fields.emplace_back(row.front());
        }
        rows.push_back(fields);
    }
    return rows;
}

// A second export equals the first byte for byte, except that a bone's angles pass through a
// single-precision quaternion on the way, which can move their sixth digit.
void expectSameExport(const std::string& second, const std::string& first, std::size_t bones) {
    const auto a = splitCsv(second);
    const auto b = splitCsv(first);
    ASSERT_EQ(a.size(), b.size());
    std::size_t moved = 0;
    for (std::size_t row = 0; row < a.size(); ++row) {
        ASSERT_EQ(a[row].size(), b[row].size()) << row;
        const bool bone = row >= 3 && row < 3 + bones;
        for (std::size_t field = 0; field < a[row].size(); ++field) {
            if (!bone || field < 5 || field > 7) {
                ASSERT_EQ(a[row][field], b[row][field]) << row << "," << field;
            }
        }
        if (bone && a[row] != b[row]) {
            ++moved;
            auto rotation = [](const std::vector<std::string>& fields) {
                return boneRotationFromDegrees(
                    {std::stof(fields[5]), std::stof(fields[6]), std::stof(fields[7])});
            };
            const Quaternion p = rotation(a[row]);
            const Quaternion q = rotation(b[row]);
            auto dotOf = [](const Quaternion& u, const Quaternion& v) {
                return double{u.x} * v.x + double{u.y} * v.y + double{u.z} * v.z +
                       double{u.w} * v.w;
            };
            const double dot = dotOf(p, q) / std::sqrt(dotOf(p, p) * dotOf(q, q));
            ASSERT_GT(std::fabs(dot), 1 - 1e-8) << row << ": the same rotation within 0.02 degrees";
        }
    }
    EXPECT_LT(moved, bones / 10);
}

TEST(Pipelines, RandomMotionsRoundTrip) {
    for (const bool legacy : {false, true}) {
        ScratchDir dir;
        MotionDocument original =
            bench::generateMotion({3000, 3000, 3000, 3000, true}, legacy ? 2 : 1);
        if (legacy) {
            std::memcpy(original.magic.data() + 21, "file", 5);
        }
        original.headerWord = legacy ? -5 : 123456789;
        original.setModelName(legacy ? "legacy_mdl" : "\x90\x58\x96\xEC model name xx");
        ASSERT_TRUE(motion::save(original, dir / "m.qlx"));
        motion::sortTables(original);
        ASSERT_EQ(exportToCsv(dir / "m.qlx"), kStatusOk);
        const std::string firstCsv = readBytes(dir / "m.csv");
        ASSERT_EQ(importFromCsv(dir / "m.csv"), kStatusOk);
        MotionDocument back;
        ASSERT_TRUE(motion::load(back, dir / "m.qlx"));
        ASSERT_EQ(exportToCsv(dir / "m.qlx"), kStatusOk);
        expectSameExport(readBytes(dir / "m.csv"), firstCsv, original.bones.size());

        EXPECT_EQ(back.magic, original.magic);
        EXPECT_EQ(back.headerWord, original.headerWord);
        EXPECT_EQ(back.modelName(), original.modelName());
        ASSERT_EQ(back.bones.size(), original.bones.size());
        ASSERT_EQ(back.morphs.size(), original.morphs.size());
        ASSERT_EQ(back.cameras.size(), original.cameras.size());
        ASSERT_EQ(back.lights.size(), original.lights.size());
        for (std::size_t i = 0; i < back.bones.size(); ++i) {
            const auto& a = back.bones[i];
            const auto& b = original.bones[i];
            ASSERT_EQ(a.name, b.name);
            ASSERT_EQ(a.frame, b.frame);
            ASSERT_EQ(a.interpolation, b.interpolation);
            for (std::size_t k = 0; k < 3; ++k) {
                expectCarried(a.position[k].get(), b.position[k].get());
            }
            float dot = 0;
            for (std::size_t k = 0; k < 4; ++k) {
                dot += a.rotation[k].get() * b.rotation[k].get();
            }
            // The same rotation up to sign: within about a tenth of a degree.
            ASSERT_GT(std::fabs(dot), 0.999998f) << i;
        }
        for (std::size_t i = 0; i < back.morphs.size(); ++i) {
            ASSERT_EQ(back.morphs[i].name, original.morphs[i].name);
            ASSERT_EQ(back.morphs[i].frame, original.morphs[i].frame);
            expectCarried(back.morphs[i].weight.get(), original.morphs[i].weight.get());
        }
        for (std::size_t i = 0; i < back.cameras.size(); ++i) {
            const auto& a = back.cameras[i];
            const auto& b = original.cameras[i];
            ASSERT_EQ(a.frame, b.frame);
            ASSERT_TRUE(std::ranges::equal(cameraTail(a), cameraTail(b)));
            expectCarried(a.distance.get(), b.distance.get());
            for (std::size_t k = 0; k < 3; ++k) {
                EXPECT_NEAR(a.rotation[k].get(), b.rotation[k].get(), 1e-5f);
            }
        }
        for (std::size_t i = 0; i < back.lights.size(); ++i) {
            ASSERT_EQ(back.lights[i].frame, original.lights[i].frame);
            for (std::size_t k = 0; k < 3; ++k) {
                expectCarried(back.lights[i].colour[k].get(), original.lights[i].colour[k].get());
                expectCarried(back.lights[i].direction[k].get(),
                              original.lights[i].direction[k].get());
            }
        }
    }
}

} // namespace
} // namespace qlx::convert
