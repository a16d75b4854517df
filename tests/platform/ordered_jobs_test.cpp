// Ordered jobs: pieces come back in the order their jobs went in, whichever thread ran them and
// whenever they finished; only a few jobs run ahead of the oldest, but enough that every worker
// and the taking thread have one, and never more than the bound, whatever the cores.
#include "platform/ordered_jobs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <new>
#include <string>
#include <thread>

namespace qlx::platform {
namespace {

TEST(OrderedJobs, TakesInOrderWithFewJobsAhead) {
    for (const unsigned workers : {3u, 40u}) {
        OrderedJobs<std::string> jobs(workers);
        std::string taken;
        std::string expected;
        for (std::size_t k = 0; k < 100; ++k) {
            const std::string piece = std::to_string(k) + ";";
            expected += piece;
            if (jobs.full()) {
                taken += jobs.take();
            }
            jobs.add([piece, k] {
                // Late pieces must not be overtaken.
                std::this_thread::sleep_for(std::chrono::milliseconds(k % 7 == 0 ? 1 : 0));
                return piece;
            });
        }
        while (!jobs.empty()) {
            taken += jobs.take();
        }
        EXPECT_EQ(taken, expected);
        jobs.add([]() -> std::string { throw std::bad_alloc(); }); // out of memory on a worker
        EXPECT_THROW(jobs.take(), std::bad_alloc);
    }
}

// Three workers and the taker: eight jobs at most are in flight; forty: the bound.
TEST(OrderedJobs, HoldFewPieces) {
    for (const auto& [workers, most] :
         {std::pair(3u, std::size_t{8}), std::pair(40u, JobQueue::kMostInFlight)}) {
        OrderedJobs<int> jobs(workers);
        std::size_t added = 0;
        for (; !jobs.full(); ++added) {
            jobs.add([] { return 1; });
        }
        EXPECT_EQ(added, most) << workers << " workers";
    }
}

// Each job waits until as many jobs run at once as there are workers and the taking thread: it
// says "late" if that never happens.
TEST(OrderedJobs, EveryWorkerAndTheTakerRunAJob) {
    for (const unsigned workers : {1u, 4u, 7u}) {
        std::atomic<unsigned> running = 0;
        OrderedJobs<std::string> jobs(workers);
        for (unsigned k = 0; k <= workers; ++k) {
            jobs.add([&] {
                ++running;
                for (int wait = 0; wait < 2000 && running.load() <= workers; ++wait) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
                return running.load() > workers ? std::string("ok;") : std::string("late;");
            });
        }
        std::string taken;
        while (!jobs.empty()) {
            taken += jobs.take();
        }
        std::string expected;
        for (unsigned k = 0; k <= workers; ++k) {
            expected += "ok;";
        }
        EXPECT_EQ(taken, expected) << workers << " workers";
    }
}

} // namespace
} // namespace qlx::platform
