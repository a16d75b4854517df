// The file-system calls that reading an input and replacing an output are made of: regular files
// opened without blocking, and, behind one seam that tests replace, each system call that a new
// output needs on its way to replacing its target.
#pragma once

#include "platform/expected.h"
#include "platform/memory.h"
#include "platform/system_error.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <utility>

namespace qlx::platform {

template <typename T> using Result = Expected<T, SystemError>;

// Which file a name leads to, as the system tells files apart: two names of one file (hard
// links, or a symbolic link and what it points to) have the same identity.
struct FileIdentity {
    std::uint64_t device = 0; // the device (POSIX) or the volume's serial number (Windows)
    std::uint64_t file = 0;   // the inode (POSIX) or the file index (Windows)
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

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
    // The count of bytes read from `offset` on, 0 at the end.
    Result<std::size_t> readAt(std::uint64_t offset, std::span<char> into) const;
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

// Times are nanoseconds since the start of 1970.
struct InputFile {
    File file;
    std::uint64_t size;
    std::int64_t stamp;    // when it was last written, as the file system tells it
    std::int64_t openedAt; // when it was opened, by this machine's clock

    // Whether the file still has the size and the time of its last writing that it had when it
    // was opened: a file written meanwhile, even one cut and grown back, tells so by its time.
    bool unchanged() const;
};

// A regular file opened for reading, with its size; never a missing file, a folder, a pipe or a
// device, which are never read (and never waited on).
Result<InputFile> openInput(const std::filesystem::path& path);

// An input's bytes, read into memory whole, so that a file that changes meanwhile can give other
// bytes but never a fault: bytes it lost read as zeros, and `cut` says so.
struct InputBytes {
    LargeBlock block;
    std::size_t size;
    bool cut; // the file ended before its size

    std::span<const std::byte> bytes() const { return {block.get(), size}; }
};

// The opened file's bytes from its start to its size; fails where a read fails. Memory too small
// to read them into runs out (see memory.h).
Result<InputBytes> readWhole(const InputFile& input);

// Sets up, once at the program's start, what keeps files safe whatever stops the program: the
// ending signals that the caller did not ignore remove a named temporary file first, and a file
// size limit or a closed pipe fails a write instead of killing.
void installFileGuards();

// What stands at a path, a link not followed.
struct PathFacts {
    enum class Type { Missing, Regular, Link, Other };
    Type type = Type::Missing;
    std::uint64_t owner = 0; // who owns it (a link: the link itself)
    FileIdentity identity;   // a regular file's
    // Why this user may not write what stands there (a folder, a device, a file it may not
    // write), or nothing where it may: a fact of the path, not a failure to tell it.
    std::optional<SystemError> unwritable;
};

// Whether a folder is one that anyone may write to but only an entry's owner may rename or
// remove from (a sticky, world-writable folder such as /tmp), and who owns the folder.
struct FolderFacts {
    bool shared = false;
    std::uint64_t owner = 0;
    FileIdentity identity;
};

// Each system call that a new output makes, one method each, so that a test can make any of them
// fail or stop the program between two of them. A named file made here is private (only this
// user may read it), hidden where the system has hidden files, and removed by the system if the
// program is stopped before `keep`, as far as the system can promise it. A name that is taken
// fails with SystemError::Kind::Exists.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // What stands at the path, or why the system cannot tell.
    virtual Result<PathFacts> facts(const std::filesystem::path& path) = 0;
    virtual Result<FolderFacts> folderFacts(const std::filesystem::path& folder) = 0;
    virtual std::uint64_t user() = 0; // whom the program runs as
    virtual Result<std::filesystem::path> readLink(const std::filesystem::path& link) = 0;

    // A new file in the folder that has no name yet; fails where the system has no such files.
    virtual Result<File> createUnnamed(const std::filesystem::path& folder) = 0;
    virtual Result<File> createNamed(const std::filesystem::path& name) = 0;
    // Gives an unnamed file a name.
    virtual Result<void> nameUnnamed(File& file, const std::filesystem::path& name) = 0;

    // The count of bytes written, which may be fewer than given.
    virtual Result<std::size_t> write(File& file, std::span<const char> bytes) = 0;
    // Waits until the file's bytes are on the disk.
    virtual Result<void> flushToDisk(File& file) = 0;
    // Gives the file the permissions of `target`, or of a newly created file where none exists.
    virtual Result<void> copyMode(File& file, const std::filesystem::path& target) = 0;
    // From here on the named file is to stay when the program stops.
    virtual Result<void> keep(File& file) = 0;
    virtual Result<void> rename(File& file, const std::filesystem::path& from,
                                const std::filesystem::path& to) = 0;
    // Closes the file and removes its name, if it has one.
    virtual void remove(File& file, const std::filesystem::path& name) = 0;
    virtual void flushFolder(const std::filesystem::path& folder) = 0;
};

// The system's own calls.
FileSystem& systemFileSystem();

} // namespace qlx::platform
