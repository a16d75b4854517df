// The walk of the rows: what it reports beside its status (where a row that belongs elsewhere
// stands and which count most likely needs a change, each field read other than as it is
// written, nothing for a file as the export or a spreadsheet writes it), and the rows after the
// lights.
#include "convert/row_walk.h"

#include "convert/rotation.h"
#include "motion/motion_file.h"

#include "tests/support/round_trip.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>

namespace qlx::convert {
namespace {

using test::readBytes;

struct Walked {
    Report report;
    std::string bytes;
};

Walked walk(std::string_view csv) {
    Walked walked;
    test::StringSink sink(walked.bytes);
    test::TextRows rows(csv);
    walked.report = walkRows(*rows, sink);
    sink.finish();
    return walked;
}

const char* const kTables[] = {"bones", "morphs", "cameras", "lights"};

std::string said(const CountRow& count) {
    return std::string(kTables[int(count.table)]) + " " + std::to_string(count.line) + " " +
           std::to_string(count.count);
}

// A failure's facts as a line of text, to compare with what a test expects.
struct Facts {
    std::string operator()(std::monostate) const { return "none"; }
    std::string operator()(const EndsEarly& f) const {
        return "ends before " +
               std::string(f.row == EndsEarly::Row::Header      ? "header"
                           : f.row == EndsEarly::Row::ModelName ? "model name"
                                                                : "count") +
               " of " + kTables[int(f.table)] + " after " + std::to_string(f.line);
    }
    std::string operator()(const NotACount& f) const {
        const char* why[] = {"", " (negative)", " (too large)"};
        return "line " + std::to_string(f.line) + " no " + kTables[int(f.table)] +
               " count: " + std::to_string(f.values) + " values, first [" + f.text + "]" +
               why[int(f.why)] + (f.before ? ", before " + said(*f.before) : "");
    }
    std::string operator()(const TooFewRows& f) const {
        return "count " + said(f.count) + " but " + std::to_string(f.rows) + " rows";
    }
    std::string operator()(const RowAfterLights& f) const {
        return "line " + std::to_string(f.line) + " after lights: " + std::to_string(f.values) +
               " values, " + said(f.lights);
    }
    template <typename Other> std::string operator()(const Other&) const { return "other"; }
};

// Tries of a new user on the example: each edit, and what the import says of it.
TEST(RowWalk, AMisplacedRowSaysWhereAndWhichCountToChange) {
    const auto example = test::linesOf(readBytes(QLX_SOURCE_DIR "/examples/walk.csv"));
    ASSERT_EQ(example.size(), 30u);
    ASSERT_EQ(example[24], "3"); // the camera count, line 25
    const auto edited = [&](auto edit) {
        auto lines = example;
        edit(lines);
        return test::joinedLines(lines);
    };
    const auto erase = [](auto& lines, std::ptrdiff_t line) {
        lines.erase(lines.begin() + line - 1);
    };
    const std::vector<std::pair<std::string, std::string>> cases = {
        {edited([&](auto& l) { erase(l, 27); }), // a camera key deleted, its count not
         "line 29 no lights count: 7 values, first [0], before cameras 25 3"},
        {edited([&](auto& l) { l.push_back(l.back()); }), // a light key added, its count not
         "line 31 after lights: 7 values, lights 29 1"},
        {edited([&](auto& l) { l.insert(l.begin() + 4, l[3]); }), // a bone key added
         "line 19 no morphs count: 9 values, first [" + example[17].substr(0, 4) +
             "], before bones 3 15"},
        {edited([&](auto& l) { erase(l, 4); }), // a bone key deleted
         "line 19 no morphs count: 3 values, first [" + example[19].substr(0, 8) +
             "], before bones 3 15"},
        {edited([](auto& l) { l[2] = "\"1,000\""; }), // a count as a spreadsheet groups it
         "line 3 no bones count: 1 values, first [1,000]"},
        {edited([](auto& l) { l[2] = "100"; }), "count bones 3 100 but 27 rows"},
        // Counts that lie about their sign, or do not fit: -1 once read as 4,294,967,295.
        {edited([](auto& l) { l[2] = "-1"; }),
         "line 3 no bones count: 1 values, first [-1] (negative)"},
        {edited([](auto& l) { l[2] = " -4294967295 "; }),
         "line 3 no bones count: 1 values, first [ -4294967295 ] (negative)"},
        {edited([](auto& l) { l[2] = "4294967296"; }),
         "line 3 no bones count: 1 values, first [4294967296] (too large)"},
        {edited([](auto& l) { l[2] = "+000099999999999"; }),
         "line 3 no bones count: 1 values, first [+000099999999999] (too large)"},
        {edited([](auto& l) { l[2] = "- 1"; }), "line 3 no bones count: 1 values, first [- 1]"},
        {edited([](auto& l) { l[24] = ""; }),
         "line 25 no cameras count: 0 values, first [], before morphs 19 5"},
        {edited([](auto& l) { l.resize(24); }), "ends before count of cameras after 24"},
        {edited([](auto& l) { l.resize(1); }), "ends before model name of bones after 1"},
        {"", "ends before header of bones after 0"},
    };
    for (const auto& [csv, facts] : cases) {
        const Walked walked = walk(csv);
        EXPECT_EQ(walked.report.status, Status::RowsNotAMotion) << facts;
        EXPECT_EQ(std::visit(Facts{}, walked.report.failure), facts);
    }
    // A negative zero is a count of none, so the first bone key stands where the morph count
    // belongs; the largest count is one too, larger than the file.
    EXPECT_EQ(std::visit(Facts{}, walk(edited([](auto& l) { l[2] = "-000"; })).report.failure),
              "line 4 no morphs count: 9 values, first [" + example[3].substr(0, 8) +
                  "], before bones 3 0");
    EXPECT_EQ(
        std::visit(Facts{}, walk(edited([](auto& l) { l[2] = "4294967295"; })).report.failure),
        "count bones 3 4294967295 but 27 rows");
}

// One bone, camera or header field at a time, read otherwise: the kind of note, its line and
// column. Fields as the export writes them, and what the readers only tidy, note nothing.
TEST(RowWalk, EachFieldReadOtherwiseIsNoted) {
    const std::string bone = "arm,1,0,0,0,0,0,0,0x" + std::string(128, '1');
    const std::string camera = "0,1,0,0,0,0,0,0,0x" + std::string(58, 'A');
    const auto csv = [](std::string header, std::string model, std::string bones,
                        std::string cameras) {
        return header + "\r\n" + model + "\r\n1\r\n" + bones + "\r\n1\r\n blink ,1,0.5\r\n1\r\n" +
               cameras + "\r\n1\r\n0,1,1,1,0,-1,0\r\n";
    };
    const std::string header = "Quorlane Motion Data 0002,0";
    // Kinds: 0 no number, 1 text after a number, 2 name cut, 3 no block, 4 block length,
    // 5 fewer columns, 6 beyond the last column, 7 a NUL in a name, 8 a decimal comma,
    // 9 question marks alone, 10 an empty key name.
    const std::string none = "";
    const struct {
        std::string csv;
        std::string note; // "kind line column", or empty for none
    } cases[] = {
        {csv(header, "model", bone, camera), none},
        {csv(header, "model", bone + ",,,", camera + ", ,\"\""), none},
        {csv(header + ",x", "model", bone, camera), "6 1 3"},
        {csv("Quorlane Motion Data 0002,y", "model", bone, camera), "0 1 2"},
        {csv(header, std::string(21, 'm'), bone, camera), "2 2 1"},
        {csv(header, "model", "arm,1x" + bone.substr(5), camera), "1 4 2"},
        {csv(header, "model", "arm,x" + bone.substr(5), camera), "0 4 2"},
        {csv(header, "model", "arm," + bone.substr(5), camera), "0 4 2"},
        {csv(header, "model", "arm, 1 " + bone.substr(5), camera), none},
        {csv(header, "model", "abcdefghijklmnopq" + bone.substr(3), camera), "2 4 1"},
        {csv(header, "model", "abcdefghijklmno" + bone.substr(3), camera), none},
        {csv(header, "model", std::string("ar\0m", 4) + bone.substr(3), camera), "7 4 1"},
        {csv(header, std::string("m\0", 2) + std::string(30, 'm'), bone, camera), "7 2 1"},
        {[&] {
             std::string t = csv(header, "model", bone, camera);
             return t.replace(t.find(" blink "), 7, std::string(" bl\0ink ", 8));
         }(),
         "7 6 1"},
        {csv(header, "model", bone.substr(0, bone.size() - 2), camera), "4 4 9"},
        {csv(header, "model", bone + "11", camera), "4 4 9"},
        {csv(header, "model", "arm,1,0,0,0,0,0,0,0x00", camera), "4 4 9"},
        {csv(header, "model", bone.substr(0, bone.size() - 1) + "G", camera), "3 4 9"},
        {csv(header, "model", "arm,1,0,0", camera), "5 4 0"},
        {csv(header, "model", bone + ",x", camera), "12 4 10"},
        {csv(header, "model", bone + ",0x" + std::string(31, 'a'), camera), "12 4 10"},
        {csv(header, "model", bone + ",0X" + std::string(32, 'a'), camera), "12 4 10"},
        {csv(header, "model", bone + ",0x" + std::string(32, 'a'), camera), none},
        {csv(header, "model", bone + ",0x" + std::string(32, 'F') + ", ,", camera), none},
        {csv(header, "model", bone + ",,x", camera), "6 4 11"},
        {csv(header, "model", bone, "0,1,\"1,5\",0" + camera.substr(7)), "8 8 3"},
        {csv(header, "model", bone, "0,1,\"1,5x\",0" + camera.substr(7)), "1 8 3"},
        {csv(header, "model", bone, "0,1,1,5,0" + camera.substr(7)), "3 8 96 8 10"},
        {csv(header, "???", bone, camera), "9 2 1"},
        {csv(header, "model", "??" + bone.substr(3), camera), "9 4 1"},
        {csv(header, "model", "a?b" + bone.substr(3), camera), "9 4 1"},
        {csv(header, "\"??,??\"", bone, camera), "9 2 1"},
        {csv(header, "model", bone.substr(3), camera), "10 4 1"},
        {csv(header, "model", bone, camera.substr(0, camera.size() - 2) + "0X"), "3 8 9"},
    };
    for (const auto& c : cases) {
        const Walked walked = walk(c.csv);
        ASSERT_EQ(walked.report.status, Status::Ok) << c.csv;
        std::string notes;
        for (const Note& note : walked.report.notes.kept()) {
            notes += std::to_string(int(note.kind)) + " " + std::to_string(note.line) + " " +
                     std::to_string(note.column);
        }
        EXPECT_EQ(notes, c.note) << c.csv;
    }
}

// Ten notes are kept, in the order of the lines, and the rest counted, however the rows were
// parsed side by side.
TEST(RowWalk, TheFirstTenNotesAreKept) {
    std::ostringstream csv;
    const std::size_t bones = 3000; // more rows than one chunk of the walk
    csv << "Quorlane Motion Data 0002,0\r\nmodel\r\n" << bones << "\r\n";
    for (std::size_t i = 0; i < bones; ++i) {
        csv << "arm," << (i % 100 == 7 ? "x" : "1") << ",0,0,0,0,0,0,0x" << std::string(128, '0')
            << "\r\n";
    }
    csv << "0\r\n0\r\n0\r\n";
    const Walked walked = walk(csv.str());
    ASSERT_EQ(walked.report.status, Status::Ok);
    std::vector<std::uint64_t> lines;
    for (const Note& note : walked.report.notes.kept()) {
        lines.push_back(note.line);
    }
    EXPECT_EQ(lines, std::vector<std::uint64_t>({11, 111, 211, 311, 411, 511, 611, 711, 811, 911}));
    EXPECT_EQ(walked.report.notes.more(), 20u);
}

// Rows padded with empty fields, as a spreadsheet pads short rows, and blank rows at the end
// make the same motion, and note nothing.
TEST(RowWalk, SpreadsheetPaddingChangesNothing) {
    const std::string example = readBytes(QLX_SOURCE_DIR "/examples/walk.csv");
    auto lines = test::linesOf(example);
    for (auto& line : lines) {
        line += std::string(12 - static_cast<std::size_t>(std::ranges::count(line, ',')), ',');
    }
    lines.insert(lines.end(), {"", ",,,,", " "});
    const Walked plain = walk(example);
    const Walked padded = walk(test::joinedLines(lines));
    ASSERT_EQ(plain.report.status, Status::Ok);
    ASSERT_EQ(padded.report.status, Status::Ok);
    EXPECT_TRUE(plain.report.notes.kept().empty());
    EXPECT_TRUE(padded.report.notes.kept().empty());
    EXPECT_TRUE(padded.bytes == plain.bytes);
}

// The row after the lights is read only when it is a byte block, and every other row there must
// be blank; an empty model-name line is an empty model name.
TEST(RowWalk, TheRowAfterTheLightsIsABlockOrNothing) {
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

// The angles of a bone row are the truth, and its last column the rotation they were written for:
// untouched angles, or angles spelled otherwise with the same value (a spreadsheet's "0" for
// "-0", a plus sign), give the stored rotation bit for bit, with line 1 padded as Calc pads it;
// an edited angle gives the rotation of the angles, in the stored rotation's sign; a column cut,
// emptied or garbled gives the rotation of the angles in the formula's sign, and only a garbled
// one is noted.
TEST(RowWalk, ABoneRowsAnglesAreTheTruth) {
    test::MotionDocument motion;
    motion.bones.resize(2); // the second keeps the default rotation, four zeros: angles -0, 0, 0
    test::setName(motion.bones[0].name, "a");
    test::setName(motion.bones[1].name, "b");
    motion.bones[0].rotation = {0.1f, 0.2f, 0.3f, -0.5f};
    const auto lines = test::linesOf(test::csvOf(motion));
    using Fields = std::vector<std::string>;
    const auto split = [](const std::string& line) {
        Fields fields;
        std::stringstream row(line);
        for (std::string field; std::getline(row, field, ',');) {
            fields.push_back(field);
        }
        return fields;
    };
    // The walk of the text with each bone row's fields (lines 4 and 5) changed by `edit`.
    const auto variant = [&](auto edit, const std::string& pad = "") {
        auto edited = lines;
        edited[0] += pad;
        for (const std::size_t k : {3u, 4u}) {
            Fields fields = split(edited[k]);
            edit(fields, k == 3);
            edited[k] = fields[0];
            for (std::size_t f = 1; f < fields.size(); ++f) {
                edited[k] += "," + fields[f];
            }
        }
        const Walked walked = walk(test::joinedLines(edited));
        EXPECT_EQ(walked.report.status, Status::Ok);
        return walked;
    };
    const auto respell = [](std::string& angle) {
        angle = angle == "-0" ? "0" : angle + (angle.find('.') != angle.npos ? "0" : ".0");
    };
    const std::string stored = test::savedBytes(motion);
    const Walked same = variant([](Fields&, bool) {}, ",,,,,,,,,");
    EXPECT_TRUE(same.bytes == stored && same.report.notes.kept().empty());
    EXPECT_TRUE(variant([&](Fields& f, bool) { respell(f[5]), respell(f[6]); }).bytes == stored);
    // Bone a's rotation: from its row's angles, in the stored rotation's sign or the formula's.
    const auto rotationOf = [](const Walked& walked) {
        const auto& r =
            motion::parseMotion(std::as_bytes(std::span(walked.bytes)))->bones[0].rotation;
        return std::array<float, 4>{r[0].get(), r[1].get(), r[2].get(), r[3].get()};
    };
    const Fields a = split(lines[3]);
    const auto fromAngles = [&](float x, float sign) {
        const auto q = boneRotationFromDegrees({x, std::stof(a[6]), std::stof(a[7])});
        return std::array<float, 4>{sign * q.x, sign * q.y, sign * q.z, sign * q.w};
    };
    const auto e = fromAngles(10, 1);
    ASSERT_LT(e[0] * 0.1 + e[1] * 0.2 + e[2] * 0.3 - e[3] * 0.5, 0) << "the opposite sign";
    EXPECT_EQ(rotationOf(variant([](Fields& f, bool first) { f[5] = first ? "10" : f[5]; })),
              fromAngles(10, -1));
    const std::pair<const char*, std::function<void(Fields&, bool)>> broken[] = {
        {"cut", [](Fields& f, bool) { f.pop_back(); }},
        {"emptied", [](Fields& f, bool) { f.back().clear(); }},
        {"garbled", [](Fields& f, bool) { f.back() = "0xZZ"; }}};
    for (const auto& [name, edit] : broken) {
        const Walked walked = variant(edit);
        EXPECT_EQ(rotationOf(walked), fromAngles(std::stof(a[5]), 1)) << name;
        std::vector<std::pair<std::uint64_t, std::uint32_t>> noted;
        for (const Note& note : walked.report.notes.kept()) {
            noted.emplace_back(note.line, note.column);
        }
        EXPECT_EQ(noted, (name == std::string_view("garbled") ? decltype(noted){{4, 10}, {5, 10}}
                                                              : decltype(noted){}))
            << name;
    }
}

} // namespace
} // namespace qlx::convert
