// The job queue where there are no threads (a page without special server headers): each job runs
// on the taking thread when its piece is taken, one piece held at a time.
#include "platform/ordered_jobs.h"

namespace qlx::platform {

unsigned defaultWorkers() {
    return 0;
}

struct JobQueue::State {
    std::deque<std::function<void()>> jobs;
};

JobQueue::JobQueue(unsigned) : state_(std::make_unique<State>()) {}

JobQueue::~JobQueue() = default;

bool JobQueue::full() const {
    return !state_->jobs.empty();
}

bool JobQueue::empty() const {
    return state_->jobs.empty();
}

void JobQueue::add(std::function<void()> job) {
    state_->jobs.push_back(std::move(job));
}

void JobQueue::takeOldest() {
    const std::function<void()> job = std::move(state_->jobs.front());
    state_->jobs.pop_front();
    job();
}

} // namespace qlx::platform
