// The job queue on systems with threads: workers started at the first job, the pieces' order kept
// by the slots, and a job's failure carried to the taker.
#include "platform/ordered_jobs.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <list>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace qlx::platform {

unsigned defaultWorkers() {
    // Asking the system costs a call, so once.
    static const unsigned workers = std::max(1u, std::thread::hardware_concurrency()) - 1;
    return workers;
}

struct JobQueue::State {
    enum class Step { Waiting, Running, Done };
    explicit State(unsigned count)
        : workerCount(count), inFlight(std::min(2 * (std::size_t{count} + 1), kMostInFlight)) {}

    struct Slot {
        std::function<void()> job;
        Step step = Step::Waiting;
        std::exception_ptr error;
    };

    void startWorkers() {
        for (unsigned i = 0; i < workerCount; ++i) {
            try {
                workers.emplace_back([this] { work(); });
            } catch (const std::system_error&) {
                break; // no thread could start: the jobs run on the taking thread
            }
        }
    }

    // Runs the oldest waiting job, if there is one, the lock let go meanwhile.
    bool runWaiting(std::unique_lock<std::mutex>& lock) {
        const auto slot = std::ranges::find(slots, Step::Waiting, &Slot::step);
        if (slot == slots.end()) {
            return false;
        }
        slot->step = Step::Running;
        lock.unlock();
        try {
            slot->job();
        } catch (...) {
            slot->error = std::current_exception();
        }
        lock.lock();
        slot->step = Step::Done;
        done.notify_one(); // only the taking thread waits for a piece
        return true;
    }

    void work() {
        std::unique_lock lock(mutex);
        while (!stopping) {
            if (!runWaiting(lock)) {
                waiting.wait(lock);
            }
        }
    }

    unsigned workerCount;
    std::size_t inFlight;
    std::mutex mutex;
    std::condition_variable waiting; // a job waits for a worker, or the jobs are stopping
    std::condition_variable done;    // a job is done
    // In the order of taking; a slot stays where it is until taken. Only the taking thread adds
    // and removes slots; workers change what a slot holds, under the lock.
    std::list<Slot> slots;
    bool stopping = false;
    std::vector<std::thread> workers;
};

JobQueue::JobQueue(unsigned workers) : state_(std::make_unique<State>(workers)) {}

JobQueue::~JobQueue() {
    {
        const std::lock_guard lock(state_->mutex);
        state_->stopping = true;
    }
    state_->waiting.notify_all();
    for (auto& worker : state_->workers) {
        worker.join();
    }
}

bool JobQueue::full() const {
    return state_->slots.size() >= state_->inFlight;
}

bool JobQueue::empty() const {
    return state_->slots.empty();
}

void JobQueue::add(std::function<void()> job) {
    if (state_->workers.empty()) {
        state_->startWorkers();
    }
    {
        const std::lock_guard lock(state_->mutex);
        state_->slots.push_back({std::move(job), State::Step::Waiting, nullptr});
    }
    state_->waiting.notify_one();
}

void JobQueue::takeOldest() {
    State& s = *state_;
    std::unique_lock lock(s.mutex);
    while (s.slots.front().step != State::Step::Done) {
        if (!s.runWaiting(lock)) {
            s.done.wait(lock);
        }
    }
    const std::exception_ptr error = s.slots.front().error;
    s.slots.pop_front();
    lock.unlock();
    if (error) {
        std::rethrow_exception(error);
    }
}

} // namespace qlx::platform
