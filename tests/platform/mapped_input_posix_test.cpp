// A mapped input whose file is cut or rewritten while it is read: the lost bytes read as zeros
// instead of ending the program, and the mapping says it is no longer intact.
#include "platform/files.h"

#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <fstream>

namespace qlx::platform {
namespace {

TEST(MappedInput, AFileCutOrWrittenWhileMappedIsReported) {
    test::ScratchDir dir;
    const std::string bytes(3 * 65536, 'x');
    test::writeBytes(dir / "cut", bytes);
    auto cut = mapInput(dir / "cut");
    ASSERT_TRUE(cut);
    EXPECT_TRUE(cut->intact());
    std::filesystem::resize_file(dir / "cut", 100);
    EXPECT_EQ(cut->bytes()[99], std::byte{'x'});
    EXPECT_EQ(cut->bytes().back(), std::byte{0});
    EXPECT_FALSE(cut->intact());

    test::writeBytes(dir / "written", bytes);
    auto written = mapInput(dir / "written");
    ASSERT_TRUE(written);
    std::filesystem::last_write_time(
        dir / "written", std::filesystem::file_time_type::clock::now() + std::chrono::seconds(1));
    EXPECT_FALSE(written->intact());
    EXPECT_TRUE(mapInput(dir / "missing") == std::nullopt);
    test::writeBytes(dir / "empty", "");
    EXPECT_TRUE(mapInput(dir / "empty")->bytes().empty());
}

} // namespace
} // namespace qlx::platform
