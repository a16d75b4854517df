// File-system calls on Windows. A new output is a hidden file beside its target that the system
// deletes when it is closed, so that a run stopped in any way leaves nothing; just before it is
// renamed over its target by its own handle that is undone, and a console control handler holds
// Ctrl-C and a closing console window off until the rename is done.
#include "platform/files.h"

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

bool deleteOnClose(File& file, bool remove) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = remove ? TRUE : FALSE;
    return SetFileInformationByHandle(handleOf(file), FileDispositionInfo, &disposition,
                                      sizeof disposition) != 0;
}

class WindowsFileSystem final : public FileSystem {
public:
    WindowsFileSystem() { SetConsoleCtrlHandler(holdWhileCommitting, TRUE); }

    PathFacts facts(const fs::path& path) override {
        std::error_code ec;
        const auto status = fs::symlink_status(path, ec);
        switch (status.type()) {
        case fs::file_type::not_found:
            return {PathFacts::Type::Missing};
        case fs::file_type::symlink:
            return {PathFacts::Type::Link};
        case fs::file_type::regular: {
            const bool readOnly =
                (status.permissions() & fs::perms::owner_write) == fs::perms::none;
            return {PathFacts::Type::Regular, !ec && !readOnly};
        }
        default:
            return {PathFacts::Type::Other};
        }
    }

    // Windows folders have no sticky bit: the link rule never applies.
    FolderFacts folderFacts(const fs::path&) override { return {}; }
    std::uint64_t user() override { return 0; }

    std::optional<fs::path> readLink(const fs::path& link) override {
        std::error_code ec;
        fs::path target = fs::read_symlink(link, ec);
        return ec ? std::nullopt : std::optional<fs::path>(std::move(target));
    }

    std::optional<File> createUnnamed(const fs::path&) override { return std::nullopt; }

    Creation createNamed(const fs::path& name, File& file) override {
        file = fileOf(CreateFileW(name.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_HIDDEN, nullptr));
        if (!file.isOpen()) {
            return GetLastError() == ERROR_FILE_EXISTS ? Creation::Taken : Creation::Failed;
        }
        if (!deleteOnClose(file, true)) {
            file = File();
            DeleteFileW(name.c_str());
            return Creation::Failed;
        }
        return Creation::Done;
    }

    Creation nameUnnamed(File&, const fs::path&) override { return Creation::Failed; }

    std::optional<std::size_t> write(File& file, std::span<const char> bytes) override {
        DWORD put = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        if (!WriteFile(handleOf(file), bytes.data(), want, &put, nullptr)) {
            return std::nullopt;
        }
        return put;
    }

    bool flushToDisk(File& file) override { return FlushFileBuffers(handleOf(file)) != 0; }

    // The target is a writable file; the new one need only stop being hidden.
    bool copyMode(File& file, const fs::path&) override {
        FILE_BASIC_INFO basic{};
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        return SetFileInformationByHandle(handleOf(file), FileBasicInfo, &basic, sizeof basic) != 0;
    }

    bool keep(File& file) override {
        committing = true;
        if (!deleteOnClose(file, false)) {
            committing = false;
            return false;
        }
        return true;
    }

    bool rename(File& file, const fs::path&, const fs::path& to) override {
        const std::wstring target = fs::absolute(to).wstring();
        std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
        auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        info->ReplaceIfExists = TRUE;
        info->RootDirectory = nullptr;
        info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
        std::copy(target.begin(), target.end(), info->FileName);
        const bool renamed = SetFileInformationByHandle(handleOf(file), FileRenameInfo, info,
                                                        static_cast<DWORD>(buffer.size())) != 0;
        if (renamed) {
            FlushFileBuffers(handleOf(file)); // the new name on the disk, as far as a file can
        }
        committing = false;
        return renamed;
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

std::optional<std::size_t> File::read(std::span<char> into) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(into.size(), 1u << 30));
    if (!ReadFile(handleOf(*this), into.data(), want, &got, nullptr)) {
        return std::nullopt;
    }
    return got;
}

bool File::seek(std::uint64_t offset) {
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(handleOf(*this), position, nullptr, FILE_BEGIN) != 0;
}

std::optional<InputFile> openInput(const fs::path& path) {
    File file = fileOf(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file.isOpen() || GetFileType(handleOf(file)) != FILE_TYPE_DISK ||
        !GetFileSizeEx(handleOf(file), &size)) {
        return std::nullopt;
    }
    return InputFile{std::move(file), static_cast<std::uint64_t>(size.QuadPart)};
}

namespace {

std::int64_t lastWritten(const File& file) {
    FILETIME written{};
    GetFileTime(handleOf(file), nullptr, nullptr, &written);
    return static_cast<std::int64_t>(written.dwHighDateTime) << 32 | written.dwLowDateTime;
}

} // namespace

MappedInput::MappedInput(MappedInput&& other) noexcept
    : input_(std::move(other.input_)), copy_(std::move(other.copy_)),
      data_(std::exchange(other.data_, nullptr)), size_(other.size_),
      mapping_(std::exchange(other.mapping_, 0)), stamp_(other.stamp_) {}

MappedInput::~MappedInput() {
    if (data_ != nullptr && !copy_) {
        UnmapViewOfFile(data_);
    }
    if (mapping_ != 0) {
        CloseHandle(reinterpret_cast<HANDLE>(mapping_));
    }
}

// The file was opened for reading alone, so no one may write to it or cut it while it is open.
bool MappedInput::intact() const {
    LARGE_INTEGER size{};
    return GetFileSizeEx(handleOf(input_.file), &size) &&
           static_cast<std::uint64_t>(size.QuadPart) == input_.size &&
           lastWritten(input_.file) == stamp_;
}

std::optional<MappedInput> mapInput(const fs::path& path) {
    auto input = openInput(path);
    if (!input || input->size > SIZE_MAX) {
        return std::nullopt;
    }
    const std::int64_t stamp = lastWritten(input->file);
    if (input->size == 0) {
        return MappedInput(std::move(*input), nullptr, 0, stamp);
    }
    HANDLE mapping =
        CreateFileMappingW(handleOf(input->file), nullptr, PAGE_READONLY, 0, 0, nullptr);
    const void* data =
        mapping == nullptr ? nullptr : MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    if (data == nullptr) {
        if (mapping != nullptr) {
            CloseHandle(mapping);
        }
        return MappedInput::read(std::move(*input), stamp);
    }
    return MappedInput(std::move(*input), static_cast<const std::byte*>(data),
                       reinterpret_cast<std::intptr_t>(mapping), stamp);
}

FileSystem& systemFileSystem() {
    static WindowsFileSystem system;
    return system;
}

} // namespace qlx::platform
