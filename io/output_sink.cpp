// The output sink's gathering.
#include "io/output_sink.h"

namespace qlx::io {

void OutputSink::write(std::string_view bytes) {
    if (buffer_.size() + bytes.size() > capacity_) {
        failed_ = failed_ || !put({buffer_.data(), buffer_.size()});
        buffer_.clear();
        if (bytes.size() > capacity_) {
            failed_ = failed_ || !put(bytes);
            return;
        }
    }
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

bool OutputSink::finish() {
    failed_ = failed_ || !put({buffer_.data(), buffer_.size()});
    buffer_.clear();
    return !failed_;
}

} // namespace qlx::io
