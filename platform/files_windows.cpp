// File-system primitives on Windows: a new output is written under a hidden name beside its
// target and moved over it with a write-through replace.
#include "platform/files.h"

#include <algorithm>
#include <random>
#include <string>
#include <system_error>

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

fs::path temporaryName(const fs::path& target) {
    std::random_device entropy;
    std::mt19937_64 generator((static_cast<std::uint64_t>(entropy()) << 32) ^ entropy());
    std::wstring name = L"." + target.extension().wstring().substr(target.has_extension() ? 1 : 0);
    name += L"." + std::to_wstring(generator() % 1000000000000ull) + L".tmp";
    return target.parent_path() / name;
}

} // namespace

File::~File() {
    if (isOpen()) {
        CloseHandle(handleOf(*this));
    }
}

std::optional<std::size_t> File::read(void* data, std::size_t size) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!ReadFile(handleOf(*this), data, want, &got, nullptr)) {
        return std::nullopt;
    }
    return got;
}

bool File::writeAll(const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        DWORD put = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        if (!WriteFile(handleOf(*this), bytes, want, &put, nullptr) || put == 0) {
            return false;
        }
        bytes += put;
        size -= put;
    }
    return true;
}

bool File::flushToDisk() {
    return FlushFileBuffers(handleOf(*this)) != 0;
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

TargetKind inspectTarget(const fs::path& path) {
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) {
        return TargetKind::Missing;
    }
    const bool readOnly = (status.permissions() & fs::perms::owner_write) == fs::perms::none;
    return !ec && fs::is_regular_file(status) && !readOnly ? TargetKind::Replaceable
                                                           : TargetKind::Refused;
}

PendingFile::~PendingFile() {
    if (!temporary_.empty()) {
        file_ = File();
        DeleteFileW(temporary_.c_str());
    }
}

std::optional<PendingFile> PendingFile::create(const fs::path& target) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        const fs::path name = temporaryName(target);
        File file = fileOf(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_HIDDEN, nullptr));
        if (file.isOpen()) {
            return PendingFile(target, name, std::move(file));
        }
        if (GetLastError() != ERROR_FILE_EXISTS) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

bool PendingFile::publish() {
    if (!file_.flushToDisk()) {
        return false;
    }
    file_ = File();
    SetFileAttributesW(temporary_.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!MoveFileExW(temporary_.c_str(), target_.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return false;
    }
    temporary_.clear();
    return true;
}

} // namespace qlx::platform
