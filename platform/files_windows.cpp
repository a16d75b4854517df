// File-system calls on Windows. A new output is a hidden file beside its target that the system
// deletes when it is closed, so that a run stopped in any way leaves nothing; just before it is
// renamed over its target by its own handle that is undone, and a console control handler holds
// Ctrl-C and a closing console window off until the rename is done.
#include "platform/files.h"
#include "platform/system_call.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <system_error>
#include <vector>

#include <windows.h>

namespace qlx::platform {

namespace fs = std::filesystem;

namespace {

HANDLE handleOf(const File& file) {
    return reinterpret_cast<HANDLE>(file.handle());
}

File fileOf(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? File() : File(reinterpret_cast<std::intptr_t>(handle));
}

// Whether a kept file is between `keep` and its rename, for the console control handler, which
// runs on a thread of its own and can reach nothing but globals.
std::atomic<bool> committing{false};

BOOL WINAPI holdWhileCommitting(DWORD) {
    while (committing.load()) {
        Sleep(1);
    }
    return FALSE; // then the default: the process ends, and the system deletes what is pending
}

FileIdentity identityOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info)) {
        return {};
    }
    return {info.dwVolumeSerialNumber,
            static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow};
}

// The identity of what a path names (a link itself, with `ownLink`), opened for no access.
FileIdentity identityAt(const fs::path& path, bool ownLink) {
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (ownLink ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    const HANDLE handle =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return {};
    }
    const FileIdentity identity = identityOf(handle);
    CloseHandle(handle);
    return identity;
}

// Windows keeps these names for devices, whatever follows them after a dot: a file named so
// cannot be made, and opening one opens the device.
bool deviceName(const fs::path& path) {
    std::wstring stem = path.filename().wstring();
    stem = stem.substr(0, std::min(stem.find(L'.'), stem.size()));
    stem.erase(stem.find_last_not_of(L' ') + 1);
    for (auto& c : stem) {
        c = c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
    }
    const bool numbered = stem.size() == 4 &&
                          (stem.starts_with(L"COM") || stem.starts_with(L"LPT")) &&
                          ((stem[3] >= L'1' && stem[3] <= L'9') || stem[3] == L'\u00B9' ||
                           stem[3] == L'\u00B2' || stem[3] == L'\u00B3');
    return numbered || stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL";
}

bool deleteOnClose(File& file, bool remove) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = remove ? TRUE : FALSE;
    return SetFileInformationByHandle(handleOf(file), FileDispositionInfo, &disposition,
                                      sizeof disposition) != 0;
}

class WindowsFileSystem final : public FileSystem {
public:
    Result<PathFacts> facts(const fs::path& path) override {
        using Kind = SystemError::Kind;
        using Type = PathFacts::Type;
        if (deviceName(path)) {
            return PathFacts{Type::Other, 0, {}, SystemError{Kind::DeviceName, 0}};
        }
        std::error_code ec;
        const auto status = fs::symlink_status(path, ec);
        switch (status.type()) {
        case fs::file_type::not_found:
            return PathFacts{Type::Missing, 0, {}, std::nullopt};
        case fs::file_type::symlink:
            return PathFacts{Type::Link, 0, {}, std::nullopt};
        case fs::file_type::regular: {
            const bool readOnly =
                (status.permissions() & fs::perms::owner_write) == fs::perms::none;
            return PathFacts{
                Type::Regular, 0, identityAt(path, true),
                readOnly ? std::optional(SystemError{Kind::AccessDenied, ERROR_ACCESS_DENIED})
                         : std::nullopt};
        }
        case fs::file_type::directory:
            return PathFacts{Type::Other, 0, {}, SystemError{Kind::Folder, 0}};
        default:
            if (ec) {
                return unexpected(SystemError{Kind::Other, ec.value()});
            }
            return PathFacts{Type::Other, 0, {}, SystemError{Kind::NotRegular, 0}};
        }
    }

    // Windows folders have no sticky bit: the link rule never applies.
    Result<FolderFacts> folderFacts(const fs::path& folder) override {
        const FileIdentity identity = identityAt(folder, false);
        if (identity == FileIdentity{}) {
            return unexpected(SystemError{SystemError::Kind::Other, 0});
        }
        return FolderFacts{false, 0, identity};
    }
    std::uint64_t user() override { return 0; }

    Result<fs::path> readLink(const fs::path& link) override {
        std::error_code ec;
        fs::path target = fs::read_symlink(link, ec);
        if (ec) {
            return unexpected(SystemError{SystemError::Kind::Other, ec.value()});
        }
        return target;
    }

    Result<File> createUnnamed(const fs::path&) override {
        return unexpected(SystemError{SystemError::Kind::Other, ERROR_NOT_SUPPORTED});
    }

    Result<File> createNamed(const fs::path& name) override {
        File file = fileOf(CreateFileW(name.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_HIDDEN, nullptr));
        if (!file.isOpen()) {
            return failure<File>();
        }
        if (!deleteOnClose(file, true)) {
            const SystemError error = lastError();
            file = File();
            DeleteFileW(name.c_str());
            return unexpected(error);
        }
        return file;
    }

    Result<void> nameUnnamed(File&, const fs::path&) override {
        return unexpected(SystemError{SystemError::Kind::Other, ERROR_NOT_SUPPORTED});
    }

    Result<std::size_t> write(File& file, std::span<const char> bytes) override {
        DWORD put = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        if (!WriteFile(handleOf(file), bytes.data(), want, &put, nullptr)) {
            return failure<std::size_t>();
        }
        return std::size_t{put};
    }

    Result<void> flushToDisk(File& file) override {
        return succeeded(FlushFileBuffers(handleOf(file)) != 0);
    }

    // The target is a writable file; the new one need only stop being hidden.
    Result<void> copyMode(File& file, const fs::path&) override {
        FILE_BASIC_INFO basic{};
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        return succeeded(
            SetFileInformationByHandle(handleOf(file), FileBasicInfo, &basic, sizeof basic) != 0);
    }

    Result<void> keep(File& file) override {
        committing = true;
        if (!deleteOnClose(file, false)) {
            committing = false;
            return failure();
        }
        return {};
    }

    Result<void> rename(File& file, const fs::path&, const fs::path& to) override {
        const std::wstring target = fs::absolute(to).wstring();
        std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
        auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        info->ReplaceIfExists = TRUE;
        info->RootDirectory = nullptr;
        info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
        std::copy(target.begin(), target.end(), info->FileName);
        const bool renamed = SetFileInformationByHandle(handleOf(file), FileRenameInfo, info,
                                                        static_cast<DWORD>(buffer.size())) != 0;
        const SystemError error = renamed ? SystemError{} : lastError();
        if (renamed) {
            FlushFileBuffers(handleOf(file)); // the new name on the disk, as far as a file can
        }
        committing = false;
        return renamed ? Result<void>() : unexpected(error);
    }

    void remove(File& file, const fs::path& name) override {
        if (file.isOpen() && deleteOnClose(file, true)) {
            file = File();
            return;
        }
        file = File();
        DeleteFileW(name.c_str());
    }

    void flushFolder(const fs::path&) override {}
};

} // namespace

File::~File() {
    if (isOpen()) {
        CloseHandle(handleOf(*this));
    }
}

Result<std::size_t> File::readAt(std::uint64_t offset, std::span<char> into) const {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(into.size(), 1u << 30));
    if (!ReadFile(handleOf(*this), into.data(), want, &got, &at)) {
        if (GetLastError() == ERROR_HANDLE_EOF) {
            return std::size_t{0};
        }
        return failure<std::size_t>();
    }
    return std::size_t{got};
}

namespace {

// FILETIME counts 100 nanoseconds from 1601; 1970 began 11,644,473,600 seconds later.
std::int64_t sinceUnixEpoch(const FILETIME& time) {
    const std::int64_t ticks =
        static_cast<std::int64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
    return (ticks - 116'444'736'000'000'000) * 100;
}

std::int64_t lastWritten(const File& file) {
    FILETIME written{};
    GetFileTime(handleOf(file), nullptr, nullptr, &written);
    return sinceUnixEpoch(written);
}

} // namespace

// The file was opened for reading alone, so no one may write to it or cut it while it is open.
bool InputFile::unchanged() const {
    LARGE_INTEGER now{};
    return GetFileSizeEx(handleOf(file), &now) &&
           static_cast<std::uint64_t>(now.QuadPart) == size && lastWritten(file) == stamp;
}

Result<InputFile> openInput(const fs::path& path) {
    if (deviceName(path)) {
        return unexpected(SystemError{SystemError::Kind::DeviceName, 0});
    }
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    File file = fileOf(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    const bool disk = file.isOpen() && GetFileType(handleOf(file)) == FILE_TYPE_DISK;
    if (!disk || !GetFileSizeEx(handleOf(file), &size)) {
        // A folder cannot be opened as a file: the system says access is denied.
        const DWORD attributes = GetFileAttributesW(path.c_str());
        const bool folder =
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        return unexpected(folder                   ? SystemError{SystemError::Kind::Folder, 0}
                          : file.isOpen() && !disk ? SystemError{SystemError::Kind::NotRegular, 0}
                                                   : lastError());
    }
    const std::int64_t stamp = lastWritten(file);
    return InputFile{std::move(file), static_cast<std::uint64_t>(size.QuadPart), stamp,
                     sinceUnixEpoch(now)};
}

SystemError lastError() {
    using Kind = SystemError::Kind;
    const DWORD code = GetLastError();
    const Kind kind = [code] {
        switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_NETPATH:
        case ERROR_INVALID_DRIVE:
            return Kind::NotFound;
        case ERROR_ACCESS_DENIED:
            return Kind::AccessDenied;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return Kind::InUse;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return Kind::NoSpace;
        case ERROR_FILE_TOO_LARGE:
            return Kind::TooLarge;
        case ERROR_WRITE_PROTECT:
            return Kind::ReadOnly;
        case ERROR_CANT_RESOLVE_FILENAME:
            return Kind::LinkLoop;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return Kind::Exists;
        default:
            return Kind::Other;
        }
    }();
    return {kind, static_cast<std::int64_t>(code)};
}

void installFileGuards() {
    SetConsoleCtrlHandler(holdWhileCommitting, TRUE);
}

FileSystem& systemFileSystem() {
    static WindowsFileSystem system;
    return system;
}

} // namespace qlx::platform
