// Jobs that each make a piece of an output, run on worker threads and taken back in the order
// they were added, so that the output is the same whatever the scheduling: the one place the
// conversions meet threads, so a build without them replaces this file alone. While the taker waits
// for the oldest piece it runs waiting jobs itself; a bounded number of jobs are in flight, so a
// bounded number of pieces are held.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <list>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace qlx::platform {

// One worker per core but the taking thread's own; asking the system costs a call, so once.
inline unsigned defaultWorkers() {
    static const unsigned workers = std::max(1u, std::thread::hardware_concurrency()) - 1;
    return workers;
}

template <typename Piece> class OrderedJobs {
public:
    // Every worker and the taker can have a job, and as many wait behind them; never more than
    // this many, whatever the cores.
    static constexpr std::size_t kMostInFlight = 16;

    explicit OrderedJobs(unsigned workers = defaultWorkers())
        : workerCount_(workers),
          inFlight_(std::min(2 * (std::size_t{workers} + 1), kMostInFlight)) {}
    OrderedJobs(const OrderedJobs&) = delete;
    OrderedJobs& operator=(const OrderedJobs&) = delete;
    // Jobs not yet taken are dropped; a job already running is waited for.
    ~OrderedJobs() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        waiting_.notify_all();
        for (auto& worker : workers_) {
            worker.join();
        }
    }

    // Whether as many jobs are in flight as may be: the oldest piece is to be taken first.
    bool full() const { return slots_.size() >= inFlight_; }
    bool empty() const { return slots_.empty(); }

    void add(std::function<Piece()> job) {
        if (workers_.empty()) {
            startWorkers();
        }
        {
            const std::lock_guard lock(mutex_);
            slots_.push_back({std::move(job), State::Waiting, std::nullopt, nullptr});
        }
        waiting_.notify_one();
    }

    // The oldest job's piece, the job run here if no worker took it; a job that threw throws here.
    Piece take() {
        std::unique_lock lock(mutex_);
        Slot& first = slots_.front();
        while (first.state != State::Done) {
            const auto waiting = std::ranges::find(slots_, State::Waiting, &Slot::state);
            if (waiting == slots_.end()) {
                done_.wait(lock);
                continue;
            }
            waiting->state = State::Running;
            lock.unlock();
            run(*waiting);
            lock.lock();
            waiting->state = State::Done;
        }
        Slot done = std::move(first);
        slots_.pop_front();
        lock.unlock();
        if (done.error) {
            std::rethrow_exception(done.error);
        }
        return std::move(*done.piece);
    }

private:
    enum class State { Waiting, Running, Done };
    struct Slot {
        std::function<Piece()> job;
        State state = State::Waiting;
        std::optional<Piece> piece;
        std::exception_ptr error;
    };

    void startWorkers() {
        for (unsigned i = 0; i < workerCount_; ++i) {
            try {
                workers_.emplace_back([this] { work(); });
            } catch (const std::system_error&) {
                break; // no thread could start: the jobs run on the taking thread
            }
        }
    }

    void work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            const auto waiting = [&] {
                return std::ranges::find(slots_, State::Waiting, &Slot::state);
            };
            waiting_.wait(lock, [&] { return stopping_ || waiting() != slots_.end(); });
            if (stopping_) {
                return;
            }
            Slot& slot = *waiting();
            slot.state = State::Running;
            lock.unlock();
            run(slot);
            lock.lock();
            slot.state = State::Done;
            done_.notify_one(); // only the taking thread waits for a piece
        }
    }

    static void run(Slot& slot) {
        try {
            slot.piece.emplace(slot.job());
        } catch (...) {
            slot.error = std::current_exception();
        }
    }

    unsigned workerCount_;
    std::size_t inFlight_;
    std::mutex mutex_;
    std::condition_variable waiting_; // a job waits for a worker, or the jobs are stopping
    std::condition_variable done_;    // a job is done
    // In the order of taking; a slot stays where it is until taken. Only the taking thread adds
    // and removes slots; workers change what a slot holds, under the lock.
    std::list<Slot> slots_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

} // namespace qlx::platform
