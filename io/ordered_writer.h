// Runs jobs that each produce a piece of an output on worker threads, a few at a time, and hands
// the pieces to one writer in the order the jobs were added: the output is the same whatever the
// scheduling.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <future>
#include <string>
#include <string_view>

namespace qlx::io {

class OrderedWriter {
public:
    using Write = std::function<void(std::string_view)>;
    explicit OrderedWriter(Write write) : write_(std::move(write)) {}

    // Runs `job` on a thread of its own when `onWorker` and a thread can start, otherwise on this
    // thread when its turn to be written comes.
    void add(std::function<std::string()> job, bool onWorker);
    // Writes the pieces of every job added so far.
    void finish();

private:
    static constexpr std::size_t kInFlight = 4;
    void writeFirst();

    Write write_;
    std::deque<std::future<std::string>> pending_; // a future from std::async joins when dropped
};

} // namespace qlx::io
