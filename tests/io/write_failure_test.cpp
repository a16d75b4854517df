// Writes that fail part-way, as on a full disk: a file size limit makes the system refuse them.
// The failing output must not be reported as written, and an existing target keeps its bytes.
#include "csv/table.h"
#include "motion/motion_file.h"

#include "tests/support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>

namespace qlx::io {
namespace {

using test::readBytes;
using test::ScratchDir;
using test::writeBytes;

bool withFileSizeLimit(rlim_t limit, const std::function<bool()>& action) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit limited = old;
    limited.rlim_cur = limit;
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool result = action();
    setrlimit(RLIMIT_FSIZE, &old);
    return result;
}

TEST(WriteFailure, MotionSaveReportsItAndKeepsTheTarget) {
    ScratchDir dir;
    writeBytes(dir / "x.qlx", "previous");
    motion::MotionDocument document;
    document.bones.resize(100000);
    EXPECT_FALSE(withFileSizeLimit(4096, [&] { return motion::save(document, dir / "x.qlx"); }));
    EXPECT_EQ(readBytes(dir / "x.qlx"), "previous");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"x.qlx"});
}

TEST(WriteFailure, CsvWriteReportsItAndKeepsTheTarget) {
    ScratchDir dir;
    writeBytes(dir / "x.csv", "previous");
    csv::CsvTable table;
    csv::CsvRow row;
    row.append(std::string(1000, 'a'));
    for (int i = 0; i < 100; ++i) {
        csv::appendRow(table, row);
    }
    EXPECT_FALSE(withFileSizeLimit(4096, [&] { return csv::writeTable(dir / "x.csv", table); }));
    EXPECT_EQ(readBytes(dir / "x.csv"), "previous");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"x.csv"});
}

} // namespace
} // namespace qlx::io
