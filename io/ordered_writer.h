// Runs jobs that each produce a piece of an output, on worker threads and on the calling thread
// alike, a few at a time, and hands the pieces to one writer in the order the jobs were added:
// the output is the same whatever the scheduling.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace qlx::io {

class OrderedWriter {
public:
    using Write = std::function<void(std::string_view)>;
    // One worker per core but the writing thread's own, unless told otherwise.
    explicit OrderedWriter(Write write, unsigned workers = defaultWorkers());
    OrderedWriter(const OrderedWriter&) = delete;
    OrderedWriter& operator=(const OrderedWriter&) = delete;
    // Jobs not yet written are dropped; a job already running is waited for.
    ~OrderedWriter();

    // Queues `job`: a worker thread takes it when `onWorker` and one is free; otherwise, or when
    // the writing thread is waiting for an earlier piece, the writing thread runs it. A job for
    // this thread that no earlier piece waits before runs and is written at once. A job that
    // throws throws again from the call that writes it.
    template <typename Job> void add(Job&& job, bool onWorker) {
        if (!onWorker && slots_.empty()) {
            write_(job());
            return;
        }
        queue(std::function<std::string()>(std::forward<Job>(job)), onWorker);
    }
    // Writes the pieces of every job added so far.
    void finish();

    static unsigned defaultWorkers();

private:
    struct Slot {
        std::function<std::string()> job;
        bool onWorker;
        enum class State { Waiting, Running, Done } state = State::Waiting;
        std::string piece;
        std::exception_ptr error;
    };

    void queue(std::function<std::string()> job, bool onWorker);
    void startWorkers();
    void work();
    static void run(Slot& slot);
    void writeFirst();

    Write write_;
    unsigned workerCount_;
    // Every worker and the writing thread can have a job, and as many wait behind them; so many
    // pieces at most are held.
    std::size_t inFlight_;
    std::mutex mutex_;
    std::condition_variable waiting_; // a job waits for a worker, or the writer is stopping
    std::condition_variable done_;    // a job is done
    // In the order of writing; a slot stays where it is until written, and an empty list costs
    // nothing, so a writer whose jobs all run at once allocates no slot.
    std::list<Slot> slots_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

} // namespace qlx::io
