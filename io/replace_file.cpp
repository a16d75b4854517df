// Replacing an output only once its new bytes are completely written.
#include "io/replace_file.h"

#include <system_error>

namespace qlx::io {

namespace fs = std::filesystem;

void OutputSink::write(std::string_view bytes) {
    if (buffer_.size() + bytes.size() > kBufferSize) {
        failed_ = failed_ || !flush_({buffer_.data(), buffer_.size()});
        buffer_.clear();
        if (bytes.size() > kBufferSize) {
            failed_ = failed_ || !flush_(bytes);
            return;
        }
    }
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

bool OutputSink::finish() {
    failed_ = failed_ || !flush_({buffer_.data(), buffer_.size()});
    buffer_.clear();
    return !failed_;
}

bool replaceFile(const fs::path& linkOrTarget, const std::function<bool(OutputSink&)>& produce) {
    // An output reached through a symbolic link is replaced where the link points; the link
    // stays a link. A target that does not exist yet is no link.
    std::error_code linkError;
    const bool isLink = fs::is_symlink(fs::symlink_status(linkOrTarget, linkError));
    linkError.clear();
    const fs::path target = isLink ? fs::weakly_canonical(linkOrTarget, linkError) : linkOrTarget;
    if (linkError || platform::inspectTarget(target) == platform::TargetKind::Refused) {
        return false;
    }
    auto pending = platform::PendingFile::create(target);
    if (!pending) {
        return false;
    }
    platform::File& file = pending->file();
    OutputSink sink(
        [&](std::string_view bytes) { return file.writeAll(bytes.data(), bytes.size()); });
    const bool complete = produce(sink);
    return sink.finish() && complete && pending->publish();
}

} // namespace qlx::io
