// The files of a page (see page_files.h): the input a block of memory the page filled, or bytes
// the page gives as they are asked for; an output the blocks it was written in, under the target's
// name once it is committed. One thread reads and writes them; nothing here is shared, linked,
// watched or stopped midway.
#include "platform/files.h"
#include "platform/page_files.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <utility>
#include <vector>
#include <wasi/api.h>

namespace qlx::platform {

namespace {

namespace fs = std::filesystem;

// A file's bytes: an input one block that the page fills, or none where the page streams it, an
// output the blocks it was written in, so that no output is copied to grow.
struct Entry {
    bool folder = false;
    std::uint64_t identity = 0;
    std::optional<std::size_t> streamed;                    // a streamed input's size
    std::vector<std::pair<LargeBlock, std::size_t>> blocks; // each block and the bytes it holds

    void append(std::span<const char> bytes) {
        constexpr std::size_t kBlock = std::size_t{1} << 20;
        if (blocks.empty() ||
            blocks.back().second + bytes.size() > std::max(kBlock, bytes.size())) {
            blocks.emplace_back(allocateLarge(std::max(kBlock, bytes.size())), 0);
        }
        auto& [block, used] = blocks.back();
        std::memcpy(block.get() + used, bytes.data(), bytes.size());
        used += bytes.size();
    }
};

// The page's volume: names to files, and open files (a handle) to the name each is under.
struct Volume {
    std::map<std::string, Entry> entries;
    std::map<std::intptr_t, std::string> open;
    std::intptr_t nextHandle = 3;
    std::uint64_t nextIdentity = 1;

    Entry* find(const fs::path& path) {
        const auto found = entries.find(path.generic_string());
        return found == entries.end() ? nullptr : &found->second;
    }
    Entry* entryOf(std::intptr_t handle) {
        const auto name = open.find(handle);
        return name == open.end() ? nullptr : find(name->second);
    }
    File openFile(const fs::path& path) {
        open[nextHandle] = path.generic_string();
        return File(nextHandle++);
    }
};

// The volume lives as long as the module, as a system's files outlive a process's calls.
Volume& volume() {
    static Volume pageVolume;
    return pageVolume;
}

template <typename T = void> Result<T> refused(SystemError::Kind kind) {
    return unexpected(SystemError{kind, 0});
}

class PageFileSystem final : public FileSystem {
public:
    Result<PathFacts> facts(const fs::path& path) override {
        const Entry* entry = volume().find(path);
        if (entry == nullptr) {
            return PathFacts{};
        }
        if (entry->folder) {
            return PathFacts{
                PathFacts::Type::Other, 0, {}, SystemError{SystemError::Kind::Folder, 0}};
        }
        return PathFacts{PathFacts::Type::Regular, 0, {1, entry->identity}, std::nullopt};
    }
    Result<FolderFacts> folderFacts(const fs::path&) override { return FolderFacts{}; }
    std::uint64_t user() override { return 0; }
    Result<fs::path> readLink(const fs::path&) override {
        return refused<fs::path>(SystemError::Kind::Other);
    }
    Result<File> createUnnamed(const fs::path&) override {
        return refused<File>(SystemError::Kind::Other);
    }
    Result<File> createNamed(const fs::path& name) override {
        Volume& v = volume();
        const auto [entry, made] = v.entries.try_emplace(name.generic_string());
        if (!made) {
            return refused<File>(SystemError::Kind::Exists);
        }
        entry->second.identity = v.nextIdentity++;
        return v.openFile(name);
    }
    Result<void> nameUnnamed(File&, const fs::path&) override {
        return refused(SystemError::Kind::Other);
    }
    Result<std::size_t> write(File& file, std::span<const char> bytes) override {
        Entry* entry = volume().entryOf(file.handle());
        if (entry == nullptr) {
            return refused<std::size_t>(SystemError::Kind::Other);
        }
        entry->append(bytes);
        return bytes.size();
    }
    Result<void> flushToDisk(File&) override { return {}; }
    Result<void> copyMode(File&, const fs::path&) override { return {}; }
    Result<void> keep(File&) override { return {}; }
    Result<void> rename(File& file, const fs::path& from, const fs::path& to) override {
        Volume& v = volume();
        auto moving = v.entries.extract(from.generic_string());
        if (moving.empty()) {
            return refused(SystemError::Kind::NotFound);
        }
        moving.key() = to.generic_string();
        v.entries.erase(moving.key());
        v.entries.insert(std::move(moving));
        v.open[file.handle()] = to.generic_string();
        return {};
    }
    void remove(File& file, const fs::path& name) override {
        file = File();
        volume().entries.erase(name.generic_string());
    }
    void flushFolder(const fs::path&) override {}
};

} // namespace

std::span<std::byte> holdPageInput(const std::string& name, std::size_t size, PageInput kind) {
    Volume& v = volume();
    v.entries.clear();
    Entry& entry = v.entries[fs::path(name).generic_string()];
    entry.folder = kind == PageInput::Folder;
    entry.identity = v.nextIdentity++;
    if (kind == PageInput::Streamed) {
        entry.streamed = size;
    }
    if (kind != PageInput::File) {
        return {};
    }
    entry.blocks.emplace_back(allocateLarge(size), size);
    return {entry.blocks.back().first.get(), size};
}

std::vector<std::span<const std::byte>> pageFile(const std::string& name) {
    std::vector<std::span<const std::byte>> pieces;
    if (const Entry* entry = volume().find(name)) {
        for (const auto& [block, used] : entry->blocks) {
            pieces.emplace_back(block.get(), used);
        }
    }
    return pieces;
}

File::~File() {
    if (isOpen()) {
        volume().open.erase(handle_);
    }
}

Result<std::size_t> File::readAt(std::uint64_t offset, std::span<char> into) const {
    Entry* entry = volume().entryOf(handle_);
    if (entry == nullptr) {
        return refused<std::size_t>(SystemError::Kind::Other);
    }
    if (entry->streamed) {
        if (offset >= *entry->streamed) {
            return std::size_t{0};
        }
        const __wasi_iovec_t part{
            reinterpret_cast<std::uint8_t*>(into.data()),
            std::min(into.size(), static_cast<std::size_t>(*entry->streamed - offset))};
        __wasi_size_t got = 0;
        if (const __wasi_errno_t error =
                __wasi_fd_pread(static_cast<__wasi_fd_t>(handle_), &part, 1, offset, &got)) {
            return unexpected(SystemError{SystemError::Kind::Other, error});
        }
        return std::size_t{got};
    }
    // Inputs are one block.
    if (entry->blocks.empty() || offset >= entry->blocks.front().second) {
        return std::size_t{0};
    }
    const auto& [block, used] = entry->blocks.front();
    const std::size_t count = std::min(into.size(), used - static_cast<std::size_t>(offset));
    std::memcpy(into.data(), block.get() + offset, count);
    return count;
}

// The page's files change only between conversions.
bool InputFile::unchanged() const {
    return true;
}

Result<InputFile> openInput(const fs::path& path) {
    Volume& v = volume();
    Entry* entry = v.find(path);
    if (entry == nullptr) {
        return refused<InputFile>(SystemError::Kind::NotFound);
    }
    if (entry->folder) {
        return refused<InputFile>(SystemError::Kind::Folder);
    }
    const std::uint64_t size = entry->streamed         ? *entry->streamed
                               : entry->blocks.empty() ? 0
                                                       : entry->blocks.front().second;
    // Written long before it was opened: its time alone tells that it did not change.
    const auto now = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::system_clock::now().time_since_epoch());
    return InputFile{v.openFile(path), size, 0, static_cast<std::int64_t>(now.count())};
}

// The input is read whole once, by the conversion that takes it: its block is handed over, not
// copied. The page fills every input that is read whole (a streamed one has no block).
Result<InputBytes> readWhole(const InputFile& input) {
    Entry* entry = volume().entryOf(input.file.handle());
    if (entry == nullptr || entry->blocks.empty()) {
        return refused<InputBytes>(SystemError::Kind::Other);
    }
    auto [block, used] = std::move(entry->blocks.front());
    entry->blocks.clear();
    return InputBytes{std::move(block), used, false};
}

FileSystem& systemFileSystem() {
    static PageFileSystem system;
    return system;
}

} // namespace qlx::platform
