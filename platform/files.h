// The file-system calls that reading an input and replacing an output are made of: regular files
// opened without blocking, and, behind one seam that tests replace, each system call that a new
// output needs on its way to replacing its target.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

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
    // Reading goes on from this offset.
    bool seek(std::uint64_t offset);
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

// What stands at a path, a link not followed.
struct PathFacts {
    enum class Type { Missing, Regular, Link, Other };
    Type type = Type::Missing;
    bool writable = false;   // a regular file this user may write
    std::uint64_t owner = 0; // who owns it (a link: the link itself)
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
};

// The system's own calls.
FileSystem& systemFileSystem();

} // namespace qlx::platform
