// Replacing an output through a file system that fails where a test says: every failure leaves
// the target as it was and no other file, on the unnamed path and the named one alike, and what
// the system can recover from (a short write, a taken name) still replaces the target.
#include "io/pending_output.h"

#include "tests/support/faulty_file_system.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

namespace qlx::io {
namespace {

namespace fs = std::filesystem;
using test::Fault;
using test::ScratchDir;

// More than the sink gathers into one write.
const std::string kNewBytes = std::string(3 << 20, 'n') + "end";

bool replace(const fs::path& target, platform::FileSystem& system) {
    PendingOutput output(target, {}, system);
    output.write(kNewBytes);
    return output.commit().has_value();
}

TEST(PendingOutput, ReplacesOnlyWhenEveryStepSucceeds) {
    const struct {
        Fault fault;
        bool replaced;
    } cases[] = {
        {Fault::None, true},        {Fault::NameTakenOnce, true}, {Fault::NamesAllTaken, false},
        {Fault::ShortWrites, true}, {Fault::WriteStalls, false},  {Fault::NoSpace, false},
        {Fault::FlushFails, false}, {Fault::ModeFails, false},    {Fault::NamingFails, false},
        {Fault::KeepFails, false},  {Fault::RenameFails, false}};
    const bool systemHasUnnamed = [] {
        const ScratchDir dir;
        return platform::systemFileSystem().createUnnamed(dir.path()).has_value();
    }();
    for (const auto& c : cases) {
        for (const bool unnamed : {true, false}) {
            ScratchDir dir;
            test::writeBytes(dir / "take.csv", "old");
            test::FaultyFileSystem system(c.fault, unnamed);
            const bool replaced = replace(dir / "take.csv", system);
            const auto what =
                "fault " + std::to_string(int(c.fault)) + (unnamed ? ", unnamed" : ", named");
            // Without unnamed files, none is ever named, so naming cannot fail.
            const bool expected =
                c.replaced || (c.fault == Fault::NamingFails && !(unnamed && systemHasUnnamed));
            EXPECT_EQ(replaced, expected) << what;
            EXPECT_TRUE(test::readBytes(dir / "take.csv") == (expected ? kNewBytes : "old"))
                << what;
            EXPECT_EQ(dir.entries(), 1u) << what;
        }
    }
}

// The system itself refuses a temporary name that another file has.
TEST(PendingOutput, ATakenNameIsRefused) {
    ScratchDir dir;
    test::writeBytes(dir / "taken", "taken");
    const auto file = platform::systemFileSystem().createNamed(dir / "taken");
    ASSERT_FALSE(file);
    EXPECT_EQ(file.error().kind, platform::SystemError::Kind::Exists);
    EXPECT_EQ(test::readBytes(dir / "taken"), "taken");
}

} // namespace
} // namespace qlx::io
