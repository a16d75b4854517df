// File-system calls on POSIX systems. On Linux a new output starts as an unnamed file
// (O_TMPFILE), so that even a killed run leaves nothing; a named one is removed by a handler of
// every signal that would end the program, installed once at the start, and is given its name
// with signals held off, so that no signal falls between the name and the handler's knowing it.
#include "platform/files.h"
#include "platform/system_call.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace qlx::platform {

namespace fs = std::filesystem;

namespace {

int fd(const File& file) {
    return static_cast<int>(file.handle());
}

// The signals whose default action ends the program and that a program may catch, but for a
// file-size limit and a closed pipe (both ignored), and the real-time signals: each removes the
// named temporary file first.
constexpr int kEnding[] = {
    SIGHUP,    SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT,   SIGBUS,  SIGFPE, SIGUSR1,
    SIGSEGV,   SIGUSR2, SIGALRM, SIGTERM, SIGXCPU, SIGVTALRM, SIGPROF, SIGIO,  SIGSYS,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
};

// The one named temporary file of this process, for the handler of the terminating signals: a
// signal handler can reach nothing but globals, so this is global.
char pendingName[4096];
std::atomic<bool> pendingNamed{false};

extern "C" void removePendingAndDie(int signal) {
    if (pendingNamed.load()) {
        unlink(pendingName);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Holds every signal that can be held off for its lifetime.
class SignalsHeld {
public:
    SignalsHeld() {
        sigset_t held;
        sigfillset(&held);
        pthread_sigmask(SIG_BLOCK, &held, &previous_);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t previous_;
};

// Makes `name` the file that a terminating signal removes; an empty name, none.
void guardName(const fs::path& name) {
    pendingNamed = false;
    if (!name.empty() && name.native().size() < sizeof pendingName) {
        std::memcpy(pendingName, name.c_str(), name.native().size() + 1);
        pendingNamed = true;
    }
}

std::int64_t lastWritten(const struct stat& status) {
    return static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 +
           status.st_mtim.tv_nsec;
}

SystemError::Kind kindOf(int code) {
    using Kind = SystemError::Kind;
    switch (code) {
    case ENOENT:
    case ENOTDIR:
        return Kind::NotFound;
    case EACCES:
    case EPERM:
        return Kind::AccessDenied;
    case EISDIR:
        return Kind::Folder;
    case ENXIO:
    case ENODEV:
        return Kind::NotRegular;
    case EBUSY:
    case ETXTBSY:
        return Kind::InUse;
    case ENOSPC:
    case EDQUOT:
        return Kind::NoSpace;
    case EFBIG:
        return Kind::TooLarge;
    case EROFS:
        return Kind::ReadOnly;
    case ELOOP:
        return Kind::LinkLoop;
    case EEXIST:
        return Kind::Exists;
    default:
        return Kind::Other;
    }
}

// What stands at an open descriptor that is not a regular file.
SystemError notRegular(const struct stat& status) {
    return {S_ISDIR(status.st_mode) ? SystemError::Kind::Folder : SystemError::Kind::NotRegular, 0};
}

FileIdentity identityOf(const struct stat& status) {
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

class PosixFileSystem final : public FileSystem {
public:
    Result<PathFacts> facts(const fs::path& path) override {
        struct stat status {};
        if (lstat(path.c_str(), &status) != 0) {
            if (errno == ENOENT) {
                return PathFacts{PathFacts::Type::Missing, 0, {}, std::nullopt};
            }
            return failure<PathFacts>();
        }
        const auto owner = static_cast<std::uint64_t>(status.st_uid);
        if (S_ISLNK(status.st_mode)) {
            return PathFacts{PathFacts::Type::Link, owner, {}, std::nullopt};
        }
        if (!S_ISREG(status.st_mode)) {
            return PathFacts{PathFacts::Type::Other, owner, {}, notRegular(status)};
        }
        const bool writable = faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
        return PathFacts{PathFacts::Type::Regular, owner, identityOf(status),
                         writable ? std::nullopt : std::optional(platform::lastError())};
    }

    Result<FolderFacts> folderFacts(const fs::path& folder) override {
        struct stat status {};
        if (stat(folder.c_str(), &status) != 0) {
            return failure<FolderFacts>();
        }
        const bool shared = (status.st_mode & S_ISVTX) != 0 && (status.st_mode & S_IWOTH) != 0;
        return FolderFacts{shared, static_cast<std::uint64_t>(status.st_uid), identityOf(status)};
    }

    std::uint64_t user() override { return geteuid(); }

    Result<fs::path> readLink(const fs::path& link) override {
        std::string target(4096, '\0');
        const ssize_t size = readlink(link.c_str(), target.data(), target.size());
        if (size < 0) {
            return failure<fs::path>();
        }
        if (static_cast<std::size_t>(size) == target.size()) {
            return unexpected(SystemError{SystemError::Kind::Other, ENAMETOOLONG});
        }
        target.resize(static_cast<std::size_t>(size));
        return fs::path(target);
    }

    Result<File> createUnnamed([[maybe_unused]] const fs::path& folder) override {
#ifdef O_TMPFILE
        // An unnamed file gets its name through /proc; without it (a chroot, some containers)
        // the output starts as a named file instead.
        if (access("/proc/self/fd", X_OK) != 0) {
            return failure<File>();
        }
        File unnamed(open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
        if (unnamed.isOpen()) {
            return unnamed;
        }
        return failure<File>();
#else
        return unexpected(SystemError{SystemError::Kind::Other, ENOTSUP});
#endif
    }

    Result<File> createNamed(const fs::path& name) override {
        const SignalsHeld held;
        File file(open(name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600));
        if (!file.isOpen()) {
            return failure<File>();
        }
        guardName(name);
        return file;
    }

    Result<void> nameUnnamed(File& file, const fs::path& name) override {
        const std::string self = "/proc/self/fd/" + std::to_string(fd(file));
        const SignalsHeld held;
        if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            return failure();
        }
        guardName(name);
        return {};
    }

    Result<std::size_t> write(File& file, std::span<const char> bytes) override {
        for (;;) {
            const ssize_t put = ::write(fd(file), bytes.data(), bytes.size());
            if (put >= 0) {
                // The disk starts on what is written while the rest is made, so the flush
                // before the rename waits for less (a pipe or a terminal just says no).
                sync_file_range(fd(file), 0, 0, SYNC_FILE_RANGE_WRITE);
                return static_cast<std::size_t>(put);
            }
            if (errno != EINTR) {
                return failure<std::size_t>();
            }
        }
    }

    Result<void> flushToDisk(File& file) override {
        return succeeded(fsync(fd(file)) == 0);
    }

    Result<void> copyMode(File& file, const fs::path& target) override {
        struct stat old {};
        mode_t mode = 0;
        if (stat(target.c_str(), &old) == 0) {
            mode = old.st_mode & 07777;
        } else {
            // What a file created here would get: 0666 less the umask.
            const mode_t mask = umask(0);
            umask(mask);
            mode = 0666 & ~mask;
        }
        return succeeded(fchmod(fd(file), mode) == 0);
    }

    Result<void> keep(File&) override {
        return {};
    }

    Result<void> rename(File&, const fs::path& from, const fs::path& to) override {
        const SignalsHeld held;
        if (::rename(from.c_str(), to.c_str()) != 0) {
            return failure();
        }
        guardName({});
        return {};
    }

    void remove(File& file, const fs::path& name) override {
        file = File();
        if (!name.empty()) {
            const SignalsHeld held;
            unlink(name.c_str());
            guardName({});
        }
    }

    void flushFolder(const fs::path& folder) override {
        File directory(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (directory.isOpen()) {
            fsync(fd(directory));
        }
    }
};

} // namespace

File::~File() {
    if (isOpen()) {
        close(fd(*this));
    }
}

Result<std::size_t> File::readAt(std::uint64_t offset, std::span<char> into) const {
    for (;;) {
        const ssize_t got = pread(fd(*this), into.data(), into.size(), static_cast<off_t>(offset));
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            return failure<std::size_t>();
        }
    }
}

bool InputFile::unchanged() const {
    struct stat status {};
    return fstat(fd(file), &status) == 0 && static_cast<std::uint64_t>(status.st_size) == size &&
           lastWritten(status) == stamp;
}

Result<InputFile> openInput(const fs::path& path) {
    const auto openedAt = std::chrono::duration_cast<std::chrono::nanoseconds>(
                              std::chrono::system_clock::now().time_since_epoch())
                              .count();
    File file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat status {};
    if (!file.isOpen() || fstat(fd(file), &status) != 0) {
        return failure<InputFile>();
    }
    if (!S_ISREG(status.st_mode)) {
        return unexpected(notRegular(status));
    }
    return InputFile{std::move(file), static_cast<std::uint64_t>(status.st_size),
                     lastWritten(status), static_cast<std::int64_t>(openedAt)};
}

SystemError lastError() {
    const int code = errno;
    return {kindOf(code), code};
}

void installFileGuards() {
    // A file-size limit then fails the write, which reports it, instead of killing; a closed
    // standard error fails the writes of messages, which are dropped, and the run goes on.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    const auto guard = [](int signal) {
        struct sigaction current {};
        // A signal that the caller ignores (a run under nohup, a background job) stays ignored.
        if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) {
            std::signal(signal, removePendingAndDie);
        }
    };
    for (const int signal : kEnding) {
        guard(signal);
    }
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) {
        guard(signal);
    }
}

FileSystem& systemFileSystem() {
    static PosixFileSystem system;
    return system;
}

} // namespace qlx::platform
