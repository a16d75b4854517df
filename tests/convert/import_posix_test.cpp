// What only a POSIX system can show of the import: a read that fails while the rows are walked.
#include "convert/import.h"

#include "io/input_watch.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace qlx::convert {
namespace {

using test::ScratchDir;

// A read that fails while the rows are walked (here: a folder read as a file) fails the import.
TEST(ImportPosix, AFailedReadIsAnOpenError) {
    ScratchDir dir;
    platform::File folder(open(dir.path().c_str(), O_RDONLY));
    struct stat status {};
    ASSERT_EQ(fstat(static_cast<int>(folder.handle()), &status), 0);
    platform::InputFile input{std::move(folder), static_cast<std::uint64_t>(status.st_size),
                              status.st_mtim.tv_sec * 1'000'000'000 + status.st_mtim.tv_nsec,
                              (status.st_mtim.tv_sec + 3600) * 1'000'000'000}; // read an hour on
    const Report report =
        importOpened(input, *io::InputWatch::start(input), dir.path(), dir / "take.qlx");
    EXPECT_EQ(report.status, Status::OpenError);
    const auto* cannot = std::get_if<CannotRead>(&report.failure);
    ASSERT_NE(cannot, nullptr);
    EXPECT_EQ(cannot->error.kind, platform::SystemError::Kind::Folder);
    EXPECT_EQ(dir.entries(), 0u);
}

} // namespace
} // namespace qlx::convert
