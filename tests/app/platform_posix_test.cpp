// The POSIX platform layer's reading of the command line.
#include "app/platform.h"

#include <gtest/gtest.h>

namespace qlx::app {
namespace {

TEST(PlatformPosix, UsesOnlyTheFirstArgument) {
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
} // namespace qlx::app
