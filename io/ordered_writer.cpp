// The ordered writer: at most a few jobs run ahead of the one being written, which bounds memory.
#include "io/ordered_writer.h"

#include <system_error>

namespace qlx::io {

void OrderedWriter::add(std::function<std::string()> job, bool onWorker) {
    if (pending_.size() == kInFlight) {
        writeFirst();
    }
    if (onWorker) {
        try {
            pending_.push_back(std::async(std::launch::async, job));
            return;
        } catch (const std::system_error&) {
            // No thread could start: the job runs on this thread instead.
        }
    }
    pending_.push_back(std::async(std::launch::deferred, std::move(job)));
}

void OrderedWriter::finish() {
    while (!pending_.empty()) {
        writeFirst();
    }
}

void OrderedWriter::writeFirst() {
    const std::string piece = pending_.front().get();
    pending_.pop_front();
    write_(piece);
}

} // namespace qlx::io
