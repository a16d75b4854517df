// The POSIX side's reading of the command line: the first argument only.
#include "platform/process.h"

#include <gtest/gtest.h>

namespace qlx::platform {
namespace {

TEST(ProcessPosix, UsesOnlyTheFirstArgument) {
    char program[] = "QLXConverter";
    char first[] = "one.qlx";
    char second[] = "two.csv";
    char* argv[] = {program, first, second, nullptr};
    const auto argument = firstArgument(3, argv);
    ASSERT_TRUE(argument);
    EXPECT_EQ(argument->path, "one.qlx");
    EXPECT_EQ(argument->echo, "one.qlx");
    EXPECT_FALSE(firstArgument(1, argv));
}

} // namespace
} // namespace qlx::platform
