// Both conversions as library calls: the worked example byte for byte, the import's statuses,
// broken files in both forms, outputs that cannot be written, and round trips of motions made of
// random bytes. Whatever fails leaves an existing output as it was and no stray file.
#include "convert/conversion.h"
#include "convert/export.h"
#include "convert/import.h"
#include "io/input_watch.h"

#include "convert/rotation.h"
#include "motion/motion_file.h"
#include "platform/files.h"
#include "tests/support/motion_document.h"
#include "tests/support/round_trip.h"
#include "tests/support/support.h"
#include "text/fixed_text.h"

#include <gtest/gtest.h>

#include <tuple>

#include <cstdio>
#include <cstring>
#include <random>

namespace qlx::convert {
namespace {

using test::MotionDocument;
using test::readBytes;
using test::ScratchDir;
using test::setName;
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

MotionDocument workedExample() {
    MotionDocument document;
    document.bones.resize(1);
    setName(document.bones[0].name, "wrist_R");
    document.bones[0].frame = 30;
    document.bones[0].position = {0.0f, 1.5f, -2.25f};
    document.bones[0].rotation = {0.25881904f, 0.0f, 0.0f, 0.96592583f};
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

// Runs the conversion of `input`, written as `name` in a fresh folder beside an existing output,
// and checks that a failure left that output and the folder as they were.
Status convertBeside(const std::string& name, const std::string& input) {
    ScratchDir dir;
    writeBytes(dir / name, input);
    const bool exporting = name.ends_with(".qlx");
    const auto output = dir / (name.substr(0, name.size() - 4) + (exporting ? ".csv" : ".qlx"));
    writeBytes(output, "previous output");
    const Status status =
        exporting ? exportToCsv(dir / name).status : importFromCsv(dir / name).status;
    EXPECT_EQ(dir.entries(), 2u) << "no stray file";
    if (status != Status::Ok) {
        EXPECT_EQ(readBytes(output), "previous output");
    }
    return status;
}

// In a folder whose name holds dots, a blank and Japanese.
TEST(Pipelines, WorkedExampleBothWays) {
    ScratchDir dir;
    const auto input = dir / "dots.in \x93\xFA" / "take.qlx";
    std::filesystem::create_directory(input.parent_path());
    ASSERT_TRUE(test::save(workedExample(), input));
    const std::string binary = readBytes(input);
    ASSERT_EQ(exportToCsv(input).status, Status::Ok);
    const auto csv = std::filesystem::path(input).replace_extension(".csv");
    EXPECT_EQ(readBytes(csv), kWorkedExample);
    // Imported, the file is the same motion, whose export is the same text.
    ASSERT_EQ(importFromCsv(csv).status, Status::Ok);
    EXPECT_EQ(readBytes(input).size(), binary.size());
    std::filesystem::remove(csv);
    ASSERT_EQ(exportToCsv(input).status, Status::Ok);
    EXPECT_EQ(readBytes(csv), kWorkedExample);
}

TEST(Pipelines, ImportStatuses) {
    const std::string header = "Quorlane Motion Data 0002,0\r\nmodel\r\n";
    const std::string bone = "arm,1,0,0,0,0,0,0,0x00\r\n";
    const std::string huge = "4294967295\r\n";
    const std::vector<std::tuple<std::string, std::string, Status>> cases = {
        {"six lines", header + "0\r\n0\r\n0\r\n0\r\n", Status::Ok},
        {"without final line end", header + "0\r\n0\r\n0\r\n0", Status::Ok},
        {"lights, final line end", header + "0\r\n0\r\n0\r\n1\r\n0,0,0,0,0,0,0\r\n", Status::Ok},
        {"lights, no final line end", header + "0\r\n0\r\n0\r\n1\r\n0,0,0,0,0,0,0", Status::Ok},
        {"lights, a lone CR at the end", header + "0\r\n0\r\n0\r\n1\r\n0,0,0,0,0,0,0\r",
         Status::Ok},
        {"no lights, no final line end", header + "1\r\n" + bone + "0\r\n0\r\n0", Status::Ok},
        {"bone count overruns", header + "1000\r\n" + bone + bone + "0\r\n0\r\n0\r\n",
         Status::RowsNotAMotion},
        {"light count overruns", header + "0\r\n0\r\n0\r\n2\r\n0\r\n", Status::RowsNotAMotion},
        {"bone count overruns rows parsed side by side",
         [&] {
             std::string rows = header + "100000\r\n";
             for (int i = 0; i < 3000; ++i) {
                 rows += bone;
             }
             return rows;
         }(),
         Status::RowsNotAMotion},
        {"light count one over", header + "0\r\n0\r\n0\r\n2\r\n0,0,0,0,0,0,0\r\n",
         Status::RowsNotAMotion},
        {"largest bone count", header + huge + "0\r\n0\r\n0\r\n", Status::RowsNotAMotion},
        {"largest light count", header + "0\r\n0\r\n0\r\n" + huge, Status::RowsNotAMotion},
        {"count row without field", header + "\r\n0\r\n0\r\n0\r\n", Status::RowsNotAMotion},
        {"count that is no number", header + "x\r\n0\r\n0\r\n0\r\n", Status::RowsNotAMotion},
        {"count with text after it", header + "0x\r\n0\r\n0\r\n0\r\n", Status::RowsNotAMotion},
        {"count with grouping", header + "\"1,000\"\r\n0\r\n0\r\n0\r\n", Status::RowsNotAMotion},
        {"count with a second value", header + "0,z\r\n0\r\n0\r\n0\r\n", Status::RowsNotAMotion},
        {"counts padded as spreadsheets pad them, signs and blanks",
         header + "0,,,\r\n +0 , ,\"\"\r\n-0\r\n\t0\t\r\n", Status::Ok},
        {"count read as a bone row", header + "2\r\n" + bone + "0\r\n0\r\n0\r\n0\r\n", Status::Ok},
        {"extra fields on the header and model-name rows",
         "Quorlane Motion Data 0002,0,x\r\nmodel,y\r\n0\r\n0\r\n0\r\n0\r\n", Status::Ok},
        {"blank rows after the lights", header + "0\r\n0\r\n0\r\n0\r\n\r\n,,\r\n \t,\"\"\r\n",
         Status::Ok},
        {"a row after the lights", header + "0\r\n0\r\n0\r\n0\r\n\r\nmore\r\n",
         Status::RowsNotAMotion},
        {"a quoted comma after the lights", header + "0\r\n0\r\n0\r\n0\r\n\",\"\r\n",
         Status::RowsNotAMotion},
        {"empty model name line", "Quorlane Motion Data 0002,0\r\n\r\n0\r\n0\r\n0\r\n0\r\n",
         Status::Ok},
        {"unknown suffix", "Quorlane Motion Data 0003,0\r\nm\r\n0\r\n0\r\n0\r\n0\r\n",
         Status::WriteError},
        {"incomplete before unwritable", "Quorlane Motion Data 0003,0\r\nm\r\n0\r\n",
         Status::RowsNotAMotion}};
    for (const auto& [name, csv, status] : cases) {
        EXPECT_EQ(convertBeside("in.csv", csv), status) << name;
    }
    // Cut inside its last row, the file holds a light key with fewer values (and says so);
    // cut anywhere earlier, the rows do not make up the motion.
    const std::size_t lastRow = kWorkedExample.rfind("\r\n", kWorkedExample.size() - 3) + 2;
    for (std::size_t size = 0; size <= kWorkedExample.size(); ++size) {
        ASSERT_EQ(convertBeside("take.csv", kWorkedExample.substr(0, size)),
                  size > lastRow ? Status::Ok : Status::RowsNotAMotion)
            << size;
    }
}

// Texts a plain field cannot hold, and bytes after the light keys, come back byte for byte.
TEST(Pipelines, EveryByteOfAMotionComesBack) {
    MotionDocument document;
    setMagic(document, "Quorlane, \"Motion\" D 0002");
    document.headerWord = -7;
    document.setModelName("model,\r\nname");
    for (const std::string name : {"arm,L", "\"quoted\"", "line\nfeed", "a\"b", "\x83\x5C,"}) {
        setName(document.bones.emplace_back().name, name);
        document.bones.back().rotation = {0.0f, 0.0f, 0.0f, 1.0f};
        setName(document.morphs.emplace_back().name, name);
    }
    std::ranges::sort(document.bones, {},
                      [](const auto& key) { return text::fieldText(key.name); });
    for (const char c : std::string("\0after\r\n,\"the lights\xFF", 19)) {
        document.tail.push_back(std::byte(c));
    }
    ScratchDir dir;
    ASSERT_TRUE(test::save(document, dir / "take.qlx"));
    const std::string binary = readBytes(dir / "take.qlx");
    ASSERT_EQ(exportToCsv(dir / "take.qlx").status, Status::Ok);
    std::string tailRow = "0x";
    for (const std::byte b : document.tail) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", unsigned(b));
        tailRow += digits;
    }
    EXPECT_TRUE(readBytes(dir / "take.csv").ends_with("\r\n0\r\n" + tailRow + "\r\n"));
    std::filesystem::remove(dir / "take.qlx");
    ASSERT_EQ(importFromCsv(dir / "take.csv").status, Status::Ok);
    EXPECT_TRUE(readBytes(dir / "take.qlx") == binary);
}

// The row after the lights is read only when it is a byte block, and every other row there must
// be blank; an empty model-name line is an empty model name.
TEST(Pipelines, TheRowAfterTheLightsIsABlockOrNothing) {
    const std::string motion = "Quorlane Motion Data 0002,0\r\n\r\n0\r\n0\r\n0\r\n0\r\n";
    // The tail, or nothing when the file is refused.
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"", ""},
        {"0x01fF,,\r\n,\r\n\r\n", "\x01\xFF"},
        {"\"0x0102\"", "\x01\x02"},
        {"\"0x0102\",\"\"\r\n", "\x01\x02"},
        {"0x01fF\r\n0x03\r\n", std::nullopt},
        {"0x0102,x\r\n", std::nullopt},
        {"0x012\r\n", std::nullopt},
        {"1,0x0102\r\n", std::nullopt}};
    for (const auto& [after, tail] : cases) {
        const auto document = test::walked(motion + after);
        ASSERT_EQ(document.has_value(), tail.has_value()) << after;
        if (document) {
            EXPECT_EQ(document->modelName(), "");
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(document->tail.data()),
                                  document->tail.size()),
                      *tail)
                << after;
        }
    }
}

// Files as spreadsheets save them: every text quoted, LF line ends, UTF-8 with or without the
// byte-order mark. Each imports as the Shift-JIS file does; marked UTF-8 that is no UTF-8, or
// holds a character the motion file cannot, is refused.
TEST(Pipelines, SpreadsheetSavesImportAsTheirShiftJisFile) {
    const std::string mark = "\xEF\xBB\xBF";
    const std::string utf8Model = "\xE6\xA3\xAE\xE9\x87\x8E\xE3\x83\xA6\xE3\x83\xA9";
    const auto replaced = [](std::string text, std::string_view from, std::string_view to) {
        for (std::size_t at = 0; (at = text.find(from, at)) != text.npos; at += to.size()) {
            text.replace(at, from.size(), to);
        }
        return text;
    };
    const std::string utf8 = replaced(kWorkedExample, motion::kDefaultModelName, utf8Model);
    const std::string quoted =
        replaced(replaced(replaced(kWorkedExample, "Quorlane Motion Data 0002,",
                                   "\"Quorlane Motion Data 0002\","),
                          "wrist_R,", "\"wrist_R\","),
                 "blink,", "\"blink\",");
    const struct {
        std::string name;
        std::string csv;
        bool imports;
    } cases[] = {
        {"UTF-8", utf8, true},
        {"UTF-8 with the mark", mark + utf8, true},
        {"every text quoted", quoted, true},
        {"LF line ends, quoted, marked UTF-8",
         mark + replaced(replaced(quoted, motion::kDefaultModelName, utf8Model), "\r\n", "\n"),
         true},
        {"marked, with a byte that is no UTF-8", mark + utf8 + "\xFF", false},
        {"marked, with a character no code page has",
         mark + replaced(utf8, "blink", "\xF0\x9F\x98\x80"), false}};
    ScratchDir dir;
    writeBytes(dir / "take.csv", kWorkedExample);
    ASSERT_EQ(importFromCsv(dir / "take.csv").status, Status::Ok);
    const std::string binary = readBytes(dir / "take.qlx");
    for (const auto& c : cases) {
        writeBytes(dir / "saved.csv", c.csv);
        std::filesystem::remove(dir / "saved.qlx");
        EXPECT_EQ(importFromCsv(dir / "saved.csv").status,
                  c.imports ? Status::Ok : Status::RowsNotAMotion)
            << c.name;
        EXPECT_EQ(std::filesystem::exists(dir / "saved.qlx") &&
                      readBytes(dir / "saved.qlx") == binary,
                  c.imports)
            << c.name;
    }
}

TEST(Pipelines, BrokenOrMissingInputsAreRefused) {
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
    EXPECT_EQ(importFromCsv(dir / "missing.csv").status, Status::OpenError);
    EXPECT_EQ(exportToCsv(dir / "nodot").status, Status::OpenError);
    EXPECT_EQ(importFromCsv(dir / "nodot").status, Status::OpenError);
}

// A file written while it is imported gives no output: grown, or of its size with a later time;
// and of its size with its time as it was, as a clock that counts coarsely leaves it, where that
// time is too recent to tell by (the bytes then tell). A file written long before is judged by
// its time alone. Where the system keeps others from writing to a file that is being read
// (Windows), it stays as it was, and converts.
TEST(Pipelines, AFileChangedWhileImportedGivesNoOutput) {
    std::string edited = kWorkedExample;
    edited[edited.find("0.75")] = '9';
    using namespace std::chrono_literals;
    const struct {
        std::string now;
        std::chrono::seconds moved; // the time of its writing, moved by this much afterwards
        bool old;                   // written an hour before it is read
        Status status;
    } cases[] = {{kWorkedExample + "0x00\r\n", 1s, false, Status::OpenError},
                 {edited, 1s, false, Status::OpenError},
                 {edited, 0s, false, Status::OpenError},
                 {edited, 0s, true, Status::Ok}};
    for (const auto& c : cases) {
        ScratchDir dir;
        writeBytes(dir / "take.csv", kWorkedExample);
        if (c.old) {
            std::filesystem::last_write_time(
                dir / "take.csv", std::filesystem::last_write_time(dir / "take.csv") - 1h);
        }
        const auto input = platform::openInput(dir / "take.csv");
        ASSERT_TRUE(input);
        const auto watch = io::InputWatch::start(*input);
        ASSERT_TRUE(watch);
        const auto written = std::filesystem::last_write_time(dir / "take.csv");
        writeBytes(dir / "take.csv", c.now);
        std::error_code locked;
        std::filesystem::last_write_time(dir / "take.csv", written + c.moved, locked);
        const bool changed = readBytes(dir / "take.csv") == c.now;
        EXPECT_EQ(changed, !locked);
        const Status status =
            importOpened(*input, *watch, dir / "take.csv", dir / "take.qlx").status;
        EXPECT_EQ(status, changed ? c.status : Status::Ok) << c.moved.count() << c.old;
        EXPECT_EQ(dir.entries(), status == Status::Ok ? 2u : 1u);
    }
}

// A UTF-8 row longer than the reader's buffer reads whole wherever a character falls on the
// buffer's end: as the same file in Shift-JIS does.
TEST(Pipelines, AUtf8RowAcrossTheBufferReads) {
    const std::string head = "Quorlane Motion Data 0002,0,";
    const auto file = [&](std::size_t at, std::string_view section, std::string_view kana) {
        return head + std::string(at - head.size(), 'a') + std::string(section) +
               std::string(1 << 10, 'b') + "\r\n" + std::string(kana) + "\r\n0\r\n0\r\n0\r\n0\r\n";
    };
    ScratchDir dir;
    for (std::size_t at = (1 << 20) - 4; at <= (1 << 20) + 2; ++at) {
        writeBytes(dir / "sjis.csv", file(at, "\x81\x98", "\x82\xA0"));
        writeBytes(dir / "utf8.csv", file(at, "\xC2\xA7", "\xE3\x81\x82"));
        ASSERT_EQ(importFromCsv(dir / "sjis.csv").status, Status::Ok);
        EXPECT_EQ(importFromCsv(dir / "utf8.csv").status, Status::Ok) << at;
        EXPECT_EQ(readBytes(dir / "utf8.qlx"), readBytes(dir / "sjis.qlx")) << at;
    }
}

TEST(Pipelines, OutputsThatCannotBeWritten) {
    ScratchDir dir;
    ASSERT_TRUE(test::save(workedExample(), dir / "take.qlx"));
    std::filesystem::create_directory(dir / "take.csv");
    EXPECT_EQ(exportToCsv(dir / "take.qlx").status, Status::WriteError);
    writeBytes(dir / "back.csv", kWorkedExample);
    std::filesystem::create_directory(dir / "back.qlx");
    EXPECT_EQ(importFromCsv(dir / "back.csv").status, Status::WriteError);
    writeBytes(dir / "cut.csv", kWorkedExample.substr(0, 80)); // incomplete says so first
    std::filesystem::create_directory(dir / "cut.qlx");
    EXPECT_EQ(importFromCsv(dir / "cut.csv").status, Status::RowsNotAMotion);
    // "in.qlx/x" becomes "in.csv/x", in a folder that does not exist.
    std::filesystem::create_directory(dir / "in.qlx");
    std::filesystem::copy_file(dir / "take.qlx", dir / "in.qlx" / "x");
    EXPECT_EQ(exportToCsv(dir / "in.qlx" / "x").status, Status::WriteError);
    EXPECT_EQ(dir.entries(), 7u);
}

// The first motion's bones span several of the chunks that the export formats side by side.
TEST(Pipelines, MotionsOfRandomBytesRoundTrip) {
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
