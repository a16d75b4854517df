// The watch on a file system whose times count whole seconds, where only the bytes tell a write.
#include "io/input_watch.h"

#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

namespace qlx::io {
namespace {

using test::readBytes;
using test::ScratchDir;
using test::writeBytes;

// On a file system whose times count whole seconds (ext4 made with 128-byte inodes, as FAT, exFAT
// and many network mounts count), a write of the same size within the second of the last one
// leaves the file's size and time as they were; the watch still sees it. Making such a file
// system needs root, and its tools.
TEST(InputWatchPosix, AChangeWithinTheClocksStepIsSeen) {
    ScratchDir dir;
    const std::filesystem::path mounted = dir / "seconds";
    std::filesystem::create_directory(mounted);
    const std::string make = "truncate -s 8M '" + (dir / "fs.img").string() +
                             "' && mkfs.ext4 -q -I 128 '" + (dir / "fs.img").string() +
                             "' 2>/dev/null && mount -o loop '" + (dir / "fs.img").string() +
                             "' '" + mounted.string() + "' 2>/dev/null";
    if (geteuid() != 0 || std::system(make.c_str()) != 0) {
        GTEST_SKIP() << "a file system of whole seconds needs root, mkfs.ext4 and a loop device";
    }
    std::string edited = readBytes(QLX_SOURCE_DIR "/examples/walk.csv");
    const std::string example = edited;
    edited[edited.rfind("0.5")] = '9';
    bool seen = false;
    for (int attempt = 0; attempt < 5; ++attempt) {
        writeBytes(mounted / "take.csv", example);
        const auto input = platform::openInput(mounted / "take.csv");
        ASSERT_TRUE(input);
        ASSERT_EQ(input->stamp % 1'000'000'000, 0) << "times of whole seconds";
        const auto watch = io::InputWatch::start(*input);
        ASSERT_TRUE(watch);
        writeBytes(mounted / "take.csv", edited);
        if (!input->unchanged()) {
            continue; // the second turned meanwhile: the time tells, which is not the case here
        }
        const auto same = watch->unchanged(*input);
        seen = same && !*same;
        break;
    }
    EXPECT_TRUE(seen);
    std::system(("umount '" + mounted.string() + "'").c_str());
}

} // namespace
} // namespace qlx::io
