// File-system primitives on POSIX systems. On Linux a new output starts as an unnamed file in
// its target's folder (O_TMPFILE), so that even a killed run leaves nothing; elsewhere, and
// where the file system refuses, it starts under a hidden name that a signal handler removes.
#include "platform/files.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace qlx::platform {

namespace fs = std::filesystem;

namespace {

int fd(const File& file) {
    return static_cast<int>(file.handle());
}

// The one named temporary file of this process, for the handler of the terminating signals.
// A signal handler can reach nothing else, so this is the program's one piece of global state.
char pendingName[4096];
std::atomic<bool> pendingNamed{false};

extern "C" void removePendingAndDie(int signal) {
    if (pendingNamed.load()) {
        unlink(pendingName);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void guardPendingName(const fs::path& name) {
    static const bool installed = [] {
        // A file-size limit then fails the write, which reports it, instead of killing.
        std::signal(SIGXFSZ, SIG_IGN);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            std::signal(signal, removePendingAndDie);
        }
        return true;
    }();
    (void)installed;
    pendingNamed = false;
    if (!name.empty() && name.native().size() < sizeof pendingName) {
        std::memcpy(pendingName, name.c_str(), name.native().size() + 1);
        pendingNamed = true;
    }
}

// A hidden name beside the target, after the target's kind, that no other file has yet.
fs::path temporaryName(const fs::path& target) {
    std::random_device entropy;
    std::mt19937_64 generator((static_cast<std::uint64_t>(entropy()) << 32) ^ entropy());
    std::string name = "." + target.extension().string().substr(target.has_extension() ? 1 : 0);
    name += "." + std::to_string(generator() % 1000000000000ull) + ".tmp";
    return target.parent_path() / name;
}

// The mode a file created here would have: 0666 less the umask.
mode_t newFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

} // namespace

File::~File() {
    if (isOpen()) {
        close(fd(*this));
    }
}

std::optional<std::size_t> File::read(void* data, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(fd(*this), data, size);
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            return std::nullopt;
        }
    }
}

bool File::writeAll(const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t put = ::write(fd(*this), bytes, size);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        bytes += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

bool File::flushToDisk() {
    return fsync(fd(*this)) == 0;
}

std::optional<InputFile> openInput(const fs::path& path) {
    File file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat status {};
    if (!file.isOpen() || fstat(fd(file), &status) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    return InputFile{std::move(file), static_cast<std::uint64_t>(status.st_size)};
}

TargetKind inspectTarget(const fs::path& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        return errno == ENOENT ? TargetKind::Missing : TargetKind::Refused;
    }
    return S_ISREG(status.st_mode) && access(path.c_str(), W_OK) == 0 ? TargetKind::Replaceable
                                                                      : TargetKind::Refused;
}

PendingFile::~PendingFile() {
    if (!temporary_.empty()) {
        unlink(temporary_.c_str());
        guardPendingName({});
    }
}

std::optional<PendingFile> PendingFile::create(const fs::path& target) {
    const fs::path folder = target.parent_path().empty() ? "." : target.parent_path();
#ifdef O_TMPFILE
    File unnamed(open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (unnamed.isOpen()) {
        guardPendingName({});
        return PendingFile(target, {}, std::move(unnamed));
    }
#endif
    for (int attempt = 0; attempt < 16; ++attempt) {
        const fs::path name = temporaryName(target);
        File named(open(name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600));
        if (named.isOpen()) {
            guardPendingName(name);
            return PendingFile(target, name, std::move(named));
        }
        if (errno != EEXIST) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

bool PendingFile::publish() {
    struct stat old {};
    const mode_t mode = stat(target_.c_str(), &old) == 0 ? old.st_mode & 07777 : newFileMode();
    if (fchmod(fd(file_), mode) != 0 || !file_.flushToDisk()) {
        return false;
    }
    if (temporary_.empty()) {
        // Give the unnamed file a hidden name, then move it over the target in one step.
        const std::string self = "/proc/self/fd/" + std::to_string(fd(file_));
        for (int attempt = 0; attempt < 16 && temporary_.empty(); ++attempt) {
            const fs::path name = temporaryName(target_);
            guardPendingName(name);
            if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                temporary_ = name;
            } else if (errno != EEXIST) {
                guardPendingName({});
                return false;
            }
        }
    }
    if (temporary_.empty() || rename(temporary_.c_str(), target_.c_str()) != 0) {
        return false;
    }
    temporary_.clear();
    guardPendingName({});
    // The new name is durable once the folder that holds it is on the disk. The output is in
    // place whatever this says, so a folder that cannot be flushed fails nothing.
    const fs::path folder = target_.parent_path().empty() ? "." : target_.parent_path();
    File directory(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.isOpen()) {
        directory.flushToDisk();
    }
    return true;
}

} // namespace qlx::platform
