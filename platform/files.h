// The file-system primitives that reading an input and replacing an output need: regular
// files opened without blocking, and new files that stay private and nameless until complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <utility>

namespace qlx::platform {

// An open file, closed when it goes.
class File {
public:
    File() = default;
    explicit File(std::intptr_t handle) : handle_(handle) {}
    File(File&& other) noexcept : handle_(other.release()) {}
    File& operator=(File&& other) noexcept {
        if (this != &other) {
            File closing(release());
            handle_ = other.release();
        }
        return *this;
    }
    ~File();

    bool isOpen() const { return handle_ != kClosed; }
    // The count of bytes read (0 at the end), or nothing on an error.
    std::optional<std::size_t> read(void* data, std::size_t size);
    bool writeAll(const void* data, std::size_t size);
    // Waits until the file's bytes are on the disk.
    bool flushToDisk();
    std::intptr_t handle() const { return handle_; }
    std::intptr_t release() {
        const std::intptr_t handle = handle_;
        handle_ = kClosed;
        return handle;
    }

private:
    static constexpr std::intptr_t kClosed = -1;
    std::intptr_t handle_ = kClosed;
};

struct InputFile {
    File file;
    std::uint64_t size;
};

// A regular file opened for reading, with its size; nothing for a missing file, a folder, a
// pipe or a device, which are never read (and never waited on).
std::optional<InputFile> openInput(const std::filesystem::path& path);

enum class TargetKind {
    Missing,     // nothing stands at the path yet
    Replaceable, // a regular file this user may write
    Refused,     // a folder, a device, a pipe, or a file this user may not write
};
// What stands at the path, following links.
TargetKind inspectTarget(const std::filesystem::path& path);

// A new file beside its target, readable by this user only and left behind by no failure or
// signal, until `publish` moves it over the target with the target's permissions (or those of
// a newly created file).
class PendingFile {
public:
    static std::optional<PendingFile> create(const std::filesystem::path& target);
    PendingFile(PendingFile&& other) noexcept
        : target_(std::move(other.target_)), temporary_(std::move(other.temporary_)),
          file_(std::move(other.file_)) {
        other.temporary_.clear();
    }
    PendingFile& operator=(PendingFile&&) = delete;
    ~PendingFile();

    File& file() { return file_; }
    // Flushes the file to the disk and puts it in the target's place, durably; false, with the
    // target as it was, on any failure.
    bool publish();

private:
    PendingFile(std::filesystem::path target, std::filesystem::path temporary, File file)
        : target_(std::move(target)), temporary_(std::move(temporary)), file_(std::move(file)) {}
    std::filesystem::path target_;
    std::filesystem::path temporary_; // empty while the file has no name
    File file_;
};

} // namespace qlx::platform
