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
    ASSERT_TRUE(cut && cut->intact());
    // Cut to nothing, then grown back with its old time: only what was read meanwhile tells.
    const auto written = std::filesystem::last_write_time(dir / "cut");
    std::filesystem::resize_file(dir / "cut", 0);
    EXPECT_EQ(cut->bytes().front(), std::byte{0});
    EXPECT_EQ(cut->bytes().back(), std::byte{0});
    std::filesystem::resize_file(dir / "cut", bytes.size());
    std::filesystem::last_write_time(dir / "cut", written);
    EXPECT_FALSE(cut->intact());
    // Written over, its time moves.
    test::writeBytes(dir / "written", bytes);
    auto over = mapInput(dir / "written");
    ASSERT_TRUE(over);
    std::filesystem::last_write_time(dir / "written", written + std::chrono::seconds(1));
    EXPECT_FALSE(over->intact());
    test::writeBytes(dir / "empty", "");
    EXPECT_TRUE(mapInput(dir / "empty")->bytes().empty());
}

} // namespace
} // namespace qlx::platform
