// The ordered writer: pieces come out in the order their jobs went in, whichever thread ran them
// and whenever they finished; only a few jobs run ahead of the one being written, but enough that
// every worker and the writing thread have one.
#include "io/ordered_writer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

namespace qlx::io {
namespace {

TEST(OrderedWriter, WritesInOrderWithFewJobsAhead) {
    std::string written;
    std::size_t added = 0;
    std::optional<std::size_t> addedAtFirstWrite;
    // Three workers and the writing thread: eight pieces at most are held.
    OrderedWriter out(
        [&](std::string_view piece) {
            addedAtFirstWrite = addedAtFirstWrite.value_or(added);
            written += piece;
        },
        3);
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

// Each job waits until as many jobs run at once as there are workers and the writing thread: it
// says "late" if that never happens.
TEST(OrderedWriter, EveryWorkerAndTheWriterRunAJob) {
    for (const unsigned workers : {1u, 4u, 7u}) {
        std::atomic<unsigned> running = 0;
        std::string written;
        OrderedWriter out([&](std::string_view piece) { written += piece; }, workers);
        for (unsigned k = 0; k <= workers; ++k) {
            out.add(
                [&] {
                    ++running;
                    for (int wait = 0; wait < 2000 && running.load() <= workers; ++wait) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    }
                    return running.load() > workers ? std::string("ok;") : std::string("late;");
                },
                true);
        }
        out.finish();
        std::string expected;
        for (unsigned k = 0; k <= workers; ++k) {
            expected += "ok;";
        }
        EXPECT_EQ(written, expected) << workers << " workers";
    }
}

} // namespace
} // namespace qlx::io
