// The ordered writer: worker threads that live as long as the writer take the oldest job that
// waits for one, and so does the writing thread while it waits for a piece; a bounded number of
// jobs run ahead of the one being written, which bounds memory.
#include "io/ordered_writer.h"

#include <algorithm>
#include <system_error>

namespace qlx::io {

// Asking the system costs a system call: once is enough.
unsigned OrderedWriter::defaultWorkers() {
    static const unsigned workers = std::max(1u, std::thread::hardware_concurrency()) - 1;
    return workers;
}

OrderedWriter::OrderedWriter(Write write, unsigned workers)
    : write_(std::move(write)), workerCount_(workers), inFlight_(2 * (std::size_t{workers} + 1)) {}

OrderedWriter::~OrderedWriter() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    waiting_.notify_all();
    for (auto& worker : workers_) {
        worker.join();
    }
}

void OrderedWriter::queue(std::function<std::string()> job, bool onWorker) {
    if (slots_.size() == inFlight_) {
        writeFirst();
    }
    if (onWorker && workers_.empty()) {
        startWorkers();
    }
    const bool forWorker = onWorker && !workers_.empty();
    {
        const std::lock_guard lock(mutex_);
        slots_.push_back({std::move(job), forWorker, Slot::State::Waiting, {}, {}});
    }
    if (forWorker) {
        waiting_.notify_one();
    }
}

void OrderedWriter::finish() {
    while (!slots_.empty()) {
        writeFirst();
    }
}

void OrderedWriter::startWorkers() {
    for (unsigned i = 0; i < workerCount_; ++i) {
        try {
            workers_.emplace_back([this] { work(); });
        } catch (const std::system_error&) {
            break; // no thread could start: the jobs run on the writing thread
        }
    }
}

void OrderedWriter::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        const auto waiting = [&] {
            return std::ranges::find_if(slots_, [](const Slot& slot) {
                return slot.onWorker && slot.state == Slot::State::Waiting;
            });
        };
        waiting_.wait(lock, [&] { return stopping_ || waiting() != slots_.end(); });
        if (stopping_) {
            return;
        }
        Slot& slot = *waiting();
        slot.state = Slot::State::Running;
        lock.unlock();
        run(slot);
        lock.lock();
        slot.state = Slot::State::Done;
        done_.notify_one(); // only the writing thread waits for a piece
    }
}

void OrderedWriter::run(Slot& slot) {
    try {
        slot.piece = slot.job();
    } catch (...) {
        slot.error = std::current_exception();
    }
}

// While the first piece is not done, this thread runs the oldest job that waits, the first's own
// included, rather than wait for a worker.
void OrderedWriter::writeFirst() {
    std::unique_lock lock(mutex_);
    Slot& first = slots_.front();
    while (first.state != Slot::State::Done) {
        const auto waiting = std::ranges::find(slots_, Slot::State::Waiting, &Slot::state);
        if (waiting == slots_.end()) {
            done_.wait(lock);
            continue;
        }
        waiting->state = Slot::State::Running;
        lock.unlock();
        run(*waiting);
        lock.lock();
        waiting->state = Slot::State::Done;
    }
    Slot done = std::move(first);
    slots_.pop_front();
    lock.unlock();
    if (done.error) {
        std::rethrow_exception(done.error);
    }
    write_(done.piece);
}

} // namespace qlx::io
