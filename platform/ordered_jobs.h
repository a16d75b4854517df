// Jobs that each make a piece of an output, run on worker threads and taken back in the order
// they were added, so that the output is the same whatever the scheduling: the one place the
// conversions meet threads, so a build without them (the browser's) replaces a platform member.
// While the taker waits for the oldest piece it runs waiting jobs itself; a bounded number of jobs
// are in flight, so a bounded number of pieces are held.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

namespace qlx::platform {

// One worker per core but the taking thread's own; none where there are no threads.
unsigned defaultWorkers();

// The jobs themselves, whatever they make: each writes its own piece.
class JobQueue {
public:
    // Every worker and the taker can have a job, and as many wait behind them; never more than
    // this many, whatever the cores.
    static constexpr std::size_t kMostInFlight = 16;

    explicit JobQueue(unsigned workers);
    JobQueue(const JobQueue&) = delete;
    JobQueue& operator=(const JobQueue&) = delete;
    // Jobs not yet taken are dropped; a job already running is waited for.
    ~JobQueue();

    // Whether as many jobs are in flight as may be: the oldest is to be taken first.
    bool full() const;
    bool empty() const;
    void add(std::function<void()> job);
    // Waits until the oldest job is done, running it here if no worker took it, and lets it go;
    // memory that ran out in it runs out here.
    void takeOldest();

private:
    struct State;
    std::unique_ptr<State> state_;
};

template <typename Piece> class OrderedJobs {
public:
    explicit OrderedJobs(unsigned workers = defaultWorkers()) : jobs_(workers) {}

    bool full() const { return jobs_.full(); }
    bool empty() const { return jobs_.empty(); }
    void add(std::function<Piece()> job) {
        std::optional<Piece>& piece = pieces_.emplace_back();
        jobs_.add([&piece, job = std::move(job)] { piece.emplace(job()); });
    }
    // The oldest job's piece.
    Piece take() {
        jobs_.takeOldest();
        Piece piece = std::move(*pieces_.front());
        pieces_.pop_front();
        return piece;
    }

private:
    // A deque keeps its elements where they are as it grows and shrinks at its ends. The jobs
    // go first, so no worker writes a piece that is gone.
    std::deque<std::optional<Piece>> pieces_;
    JobQueue jobs_;
};

} // namespace qlx::platform
