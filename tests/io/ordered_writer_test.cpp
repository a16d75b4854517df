// The ordered writer: pieces come out in the order their jobs went in, whichever thread ran them
// and whenever they finished, and only a few jobs run ahead of the one being written.
#include "io/ordered_writer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>

namespace qlx::io {
namespace {

TEST(OrderedWriter, WritesInOrderWithFewJobsAhead) {
    std::string written;
    std::size_t added = 0;
    std::optional<std::size_t> addedAtFirstWrite;
    OrderedWriter out([&](std::string_view piece) {
        addedAtFirstWrite = addedAtFirstWrite.value_or(added);
        written += piece;
    });
    std::string expected;
    for (std::size_t k = 0; k < 100; ++k) {
        const std::string piece = std::to_string(k) + ";";
        expected += piece;
        out.add(
            [piece, k] {
                // Late pieces must not be overtaken.
                std::this_thread::sleep_for(std::chrono::milliseconds(k % 7 == 0 ? 1 : 0));
                return piece;
            },
            k % 3 != 0);
        ++added;
    }
    out.finish();
    EXPECT_EQ(written, expected);
    EXPECT_LE(addedAtFirstWrite.value_or(100), 8u) << "jobs ran ahead without bound";
    out.add([]() -> std::string { throw std::bad_alloc(); }, true); // out of memory on a worker
    EXPECT_THROW(out.finish(), std::bad_alloc);
}

} // namespace
} // namespace qlx::io
