// The import as a library call: its statuses, files as spreadsheets save them, a file changed
// while it is read, rows longer than the reader's buffer, outputs that cannot be written.
#include "convert/conversion.h"
#include "convert/import.h"

#include "io/input_watch.h"
#include "motion/motion_view.h"
#include "platform/files.h"
#include "tests/support/support.h"
#include "tests/support/worked_example.h"

#include <gtest/gtest.h>

#include <chrono>
#include <tuple>

namespace qlx::convert {
namespace {

using test::convertBeside;
using test::kWorkedExampleCsv;
using test::readBytes;
using test::ScratchDir;
using test::writeBytes;

TEST(Import, Statuses) {
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
    const std::size_t lastRow = kWorkedExampleCsv.rfind("\r\n", kWorkedExampleCsv.size() - 3) + 2;
    for (std::size_t size = 0; size <= kWorkedExampleCsv.size(); ++size) {
        ASSERT_EQ(convertBeside("take.csv", kWorkedExampleCsv.substr(0, size)),
                  size > lastRow ? Status::Ok : Status::RowsNotAMotion)
            << size;
    }
}

// Files as spreadsheets save them: every text quoted, LF line ends, UTF-8 with or without the
// byte-order mark. Each imports as the Shift-JIS file does; marked UTF-8 that is no UTF-8, or
// holds a character the motion file cannot, is refused.
TEST(Import, SpreadsheetSavesImportAsTheirShiftJisFile) {
    const std::string mark = "\xEF\xBB\xBF";
    const std::string utf8Model = "\xE6\xA3\xAE\xE9\x87\x8E\xE3\x83\xA6\xE3\x83\xA9";
    const auto replaced = [](std::string text, std::string_view from, std::string_view to) {
        for (std::size_t at = 0; (at = text.find(from, at)) != text.npos; at += to.size()) {
            text.replace(at, from.size(), to);
        }
        return text;
    };
    const std::string utf8 = replaced(kWorkedExampleCsv, motion::kDefaultModelName, utf8Model);
    const std::string quoted =
        replaced(replaced(replaced(kWorkedExampleCsv, "Quorlane Motion Data 0002,",
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
    writeBytes(dir / "take.csv", kWorkedExampleCsv);
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

// A file written while it is imported gives no output: grown, or of its size with a later time;
// and of its size with its time as it was, as a clock that counts coarsely leaves it, where that
// time is too recent to tell by (the bytes then tell). A file written long before is judged by
// its time alone. Where the system keeps others from writing to a file that is being read
// (Windows), it stays as it was, and converts.
TEST(Import, AFileChangedWhileImportedGivesNoOutput) {
    std::string edited = kWorkedExampleCsv;
    edited[edited.find("0.75")] = '9';
    using namespace std::chrono_literals;
    const struct {
        std::string now;
        std::chrono::seconds moved; // the time of its writing, moved by this much afterwards
        bool old;                   // written an hour before it is read
        Status status;
    } cases[] = {{kWorkedExampleCsv + "0x00\r\n", 1s, false, Status::OpenError},
                 {edited, 1s, false, Status::OpenError},
                 {edited, 0s, false, Status::OpenError},
                 {edited, 0s, true, Status::Ok}};
    for (const auto& c : cases) {
        ScratchDir dir;
        writeBytes(dir / "take.csv", kWorkedExampleCsv);
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
TEST(Import, AUtf8RowAcrossTheBufferReads) {
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

TEST(Import, OutputsThatCannotBeWrittenOrInputsThatAreMissing) {
    ScratchDir dir;
    writeBytes(dir / "back.csv", kWorkedExampleCsv);
    std::filesystem::create_directory(dir / "back.qlx");
    EXPECT_EQ(importFromCsv(dir / "back.csv").status, Status::WriteError);
    writeBytes(dir / "cut.csv", kWorkedExampleCsv.substr(0, 80)); // incomplete says so first
    std::filesystem::create_directory(dir / "cut.qlx");
    EXPECT_EQ(importFromCsv(dir / "cut.csv").status, Status::RowsNotAMotion);
    EXPECT_EQ(importFromCsv(dir / "missing.csv").status, Status::OpenError);
    EXPECT_EQ(importFromCsv(dir / "nodot").status, Status::OpenError);
    EXPECT_EQ(dir.entries(), 4u);
}

} // namespace
} // namespace qlx::convert
