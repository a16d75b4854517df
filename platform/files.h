// The file-system calls that reading an input and replacing an output are made of: regular files
// opened without blocking, and, behind one seam that tests replace, each system call that a new
// output needs on its way to replacing its target.
#pragma once

#include "platform/memory.h"
#include "platform/system_error.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
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
    std::optional<std::size_t> read(std::span<char> into);
    // The same from `offset` on, whatever was read before.
    std::optional<std::size_t> readAt(std::uint64_t offset, std::span<char> into);
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
    std::int64_t stamp; // when it was last written, as the system tells it

    // Whether the file still has the size and the time of its last writing that it had when it
    // was opened: a file written meanwhile, even one cut and grown back, tells so by its time.
    bool unchanged() const;
};

// A regular file opened for reading, with its size; nothing for a missing file, a folder, a
// pipe or a device, which are never read (and never waited on), and then `error` says why.
std::optional<InputFile> openInput(const std::filesystem::path& path, SystemError* error = nullptr);

// A regular file's bytes, mapped for reading where the system keeps them already and a read
// error in a mapping can be survived (POSIX systems), read into memory elsewhere. Bytes that the
// file loses while it is mapped read as zeros, never as a crash, and `intact` then says so; so it
// does for a file written meanwhile.
class MappedInput {
public:
    MappedInput(const MappedInput&) = delete;
    MappedInput& operator=(const MappedInput&) = delete;
    MappedInput(MappedInput&& other) noexcept;
    MappedInput& operator=(MappedInput&&) = delete;
    ~MappedInput();

    std::span<const std::byte> bytes() const { return {data_, size_}; }
    // Whether the file kept its size and its bytes while it was read, as far as the system tells.
    bool intact() const;

private:
    friend std::optional<MappedInput> mapInput(const std::filesystem::path& path,
                                               SystemError* error);
    friend std::optional<MappedInput> readInput(const std::filesystem::path& path,
                                                SystemError* error);
    MappedInput(InputFile input, const std::byte* data)
        : input_(std::move(input)), data_(data), size_(static_cast<std::size_t>(input_.size)) {}
    MappedInput(InputFile input, LargeBlock copy)
        : input_(std::move(input)), copy_(std::move(copy)), data_(copy_.get()),
          size_(static_cast<std::size_t>(input_.size)) {}
    // The bytes read into memory: nothing when a read fails, and `error` says why.
    static std::optional<MappedInput> readAll(InputFile input, SystemError* error);
    bool mapped() const { return data_ != nullptr && !copy_; }

    InputFile input_;
    LargeBlock copy_; // the bytes, when they were read rather than mapped
    const std::byte* data_;
    std::size_t size_;
};

// Nothing where `openInput` gives nothing, or the file can be neither mapped nor read; `error`
// then says why. Throws AllocationFailure when it cannot be mapped and there is no memory to
// read it into.
std::optional<MappedInput> mapInput(const std::filesystem::path& path,
                                    SystemError* error = nullptr);
// The file's bytes read into memory, as `mapInput` gives them where it cannot map.
std::optional<MappedInput> readInput(const std::filesystem::path& path,
                                     SystemError* error = nullptr);

// Sets up, once at the program's start, what keeps files safe whatever stops the program: the
// terminating signals that the caller did not ignore remove a named temporary file first, a file
// size limit fails a write instead of killing, and a mapped input that loses bytes reads zeros.
void installFileGuards();

// What stands at a path, a link not followed.
struct PathFacts {
    enum class Type { Missing, Regular, Link, Other };
    Type type = Type::Missing;
    bool writable = false;   // a regular file this user may write
    std::uint64_t owner = 0; // who owns it (a link: the link itself)
    SystemError error;       // why it cannot be told, or cannot be written
};

// A folder that anyone may write to but only an entry's owner may rename or remove from (a
// sticky, world-writable folder such as /tmp), and who owns the folder.
struct FolderFacts {
    bool shared = false;
    std::uint64_t owner = 0;
};

enum class Creation { Done, Taken, Failed };

// Each system call that a new output makes, one method each, so that a test can make any of them
// fail or stop the program between two of them. A named file made here is private (only this
// user may read it), hidden where the system has hidden files, and removed by the system if the
// program is stopped before `keep`, as far as the system can promise it.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual PathFacts facts(const std::filesystem::path& path) = 0;
    virtual FolderFacts folderFacts(const std::filesystem::path& folder) = 0;
    virtual std::uint64_t user() = 0; // whom the program runs as
    virtual std::optional<std::filesystem::path> readLink(const std::filesystem::path& link) = 0;

    // A new file in the folder that has no name yet; nothing where the system has no such files.
    virtual std::optional<File> createUnnamed(const std::filesystem::path& folder) = 0;
    virtual Creation createNamed(const std::filesystem::path& name, File& file) = 0;
    // Gives an unnamed file a name.
    virtual Creation nameUnnamed(File& file, const std::filesystem::path& name) = 0;

    // The count of bytes written, which may be fewer than given, or nothing on an error.
    virtual std::optional<std::size_t> write(File& file, std::span<const char> bytes) = 0;
    // Waits until the file's bytes are on the disk.
    virtual bool flushToDisk(File& file) = 0;
    // Gives the file the permissions of `target`, or of a newly created file where none exists.
    virtual bool copyMode(File& file, const std::filesystem::path& target) = 0;
    // From here on the named file is to stay when the program stops.
    virtual bool keep(File& file) = 0;
    virtual bool rename(File& file, const std::filesystem::path& from,
                        const std::filesystem::path& to) = 0;
    // Closes the file and removes its name, if it has one.
    virtual void remove(File& file, const std::filesystem::path& name) = 0;
    virtual void flushFolder(const std::filesystem::path& folder) = 0;
    // Why the last of the calls above that failed, failed.
    virtual SystemError lastError() = 0;
};

// The system's own calls.
FileSystem& systemFileSystem();

} // namespace qlx::platform
