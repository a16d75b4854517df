// A new output that replaces its target only when it is complete: opened beside the target,
// written as a sink, then committed (flushed to the disk, given the target's permissions and
// renamed over it) or dropped, which leaves no trace. Every failure leaves every file as it was.
#pragma once

#include "io/output_sink.h"
#include "platform/expected.h"
#include "platform/files.h"

#include <filesystem>

namespace qlx::io {

// Why an output did not replace its target: the step that failed, and what the system said.
struct OutputFailure {
    enum class Step : std::uint8_t {
        None,
        Target,     // the target is no regular file this user may write (see the error)
        SharedLink, // a link that the system would not follow for this user
        Create,     // no new file could be made beside the target
        Write,
        Replace, // flushing, naming or renaming the new file
        IsInput, // the target, through its links, is the input itself
    };
    Step step = Step::None;
    platform::SystemError error;
};

class PendingOutput : public OutputSink {
public:
    // Opens the new output for `target`, which must be missing or a regular file this user may
    // write. A symbolic link there is replaced where it points, and stays a link, except a link
    // in a folder that anyone may write to (such as /tmp) that belongs neither to this user nor
    // to the folder's owner: the system would not follow it for this user, and neither does this.
    // The output of the conversion of `input` (none when empty) never replaces it: the output is
    // refused where the target, after every link it follows, is the very name the input is read
    // through (another name of the same file, a hard link, is another name, and replacing it
    // leaves the input its bytes).
    PendingOutput(const std::filesystem::path& target, const std::filesystem::path& input,
                  platform::FileSystem& system = platform::systemFileSystem());
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;
    // Drops the output unless it was committed.
    ~PendingOutput() override;

    // Whether the output could be opened: why not, when the target is refused or no new file
    // could be made beside it.
    platform::Expected<void, OutputFailure> opened() const;
    // Puts the complete output in the target's place, durably; or why not, with the target as it
    // was, when anything failed, a write included.
    platform::Expected<void, OutputFailure> commit();

private:
    // Bytes written to an output that is not open are dropped.
    bool put(std::string_view bytes) override;
    platform::Result<void> name();
    platform::Result<void> replace();
    bool isOpen() const { return file_.isOpen(); }
    // Keeps the first failure, for `commit` to report.
    bool fail(OutputFailure::Step step, platform::SystemError error);

    platform::FileSystem& system_;
    std::filesystem::path target_; // where a link points
    std::filesystem::path name_;   // the new file's name; empty while it has none
    platform::File file_;
    OutputFailure failure_; // the first step that failed, and why
};

} // namespace qlx::io
