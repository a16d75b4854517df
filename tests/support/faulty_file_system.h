// A file system that makes the system's own calls, except the one a test chooses to fail, or to
// stop the program before, and facts about links that a test chooses to plant.
#pragma once

#include "platform/files.h"

#include <csignal>
#include <functional>

namespace qlx::test {

enum class Fault {
    None,
    NameTakenOnce, // the first temporary name is taken
    NamesAllTaken,
    ShortWrites, // each write puts at most half of what it was given
    WriteStalls, // a write puts nothing, without an error
    NoSpace,     // a write fails
    FlushFails,
    ModeFails,
    NamingFails, // an unnamed file cannot be given a name
    KeepFails,
    RenameFails,
    SignalBeforeRename, // the program is stopped between the name and the rename
    PlantedLink,        // links belong to another user, in a folder anyone may write to
    FolderOwnersLink,   // as above, but the link belongs to the folder's owner
};

class FaultyFileSystem final : public platform::FileSystem {
    using Path = std::filesystem::path;
    using File = platform::File;
    template <typename T> using Result = platform::Result<T>;

public:
    // Without `unnamedFiles`, as on a system that has none: every new file is named.
    FaultyFileSystem(Fault fault, bool unnamedFiles) : fault_(fault), unnamed_(unnamedFiles) {}

    Result<platform::PathFacts> facts(const Path& path) override {
        auto facts = system_.facts(path);
        if (facts && facts->type == platform::PathFacts::Type::Link && plantsLinks()) {
            facts->owner = fault_ == Fault::PlantedLink ? kStranger : kFolderOwner;
        }
        return facts;
    }
    Result<platform::FolderFacts> folderFacts(const Path& folder) override {
        auto facts = system_.folderFacts(folder);
        if (facts && plantsLinks()) {
            facts->shared = true;
            facts->owner = kFolderOwner;
        }
        return facts;
    }
    std::uint64_t user() override { return plantsLinks() ? kUser : system_.user(); }
    Result<Path> readLink(const Path& link) override { return system_.readLink(link); }
    Result<File> createUnnamed(const Path& folder) override {
        return unnamed_ ? system_.createUnnamed(folder) : failure<File>();
    }
    Result<File> createNamed(const Path& name) override {
        return taken() ? exists<File>() : system_.createNamed(name);
    }
    Result<void> nameUnnamed(File& file, const Path& name) override {
        if (fault_ == Fault::NamingFails) {
            return failure<void>();
        }
        return taken() ? exists<void>() : system_.nameUnnamed(file, name);
    }
    Result<std::size_t> write(File& file, std::span<const char> bytes) override {
        switch (fault_) {
        case Fault::ShortWrites:
            return system_.write(file, bytes.first((bytes.size() + 1) / 2));
        case Fault::WriteStalls:
            return std::size_t{0};
        case Fault::NoSpace:
            return failure<std::size_t>();
        default:
            return system_.write(file, bytes);
        }
    }
    Result<void> flushToDisk(File& file) override {
        return fault_ == Fault::FlushFails ? failure<void>() : system_.flushToDisk(file);
    }
    Result<void> copyMode(File& file, const Path& target) override {
        return fault_ == Fault::ModeFails ? failure<void>() : system_.copyMode(file, target);
    }
    Result<void> keep(File& file) override {
        return fault_ == Fault::KeepFails ? failure<void>() : system_.keep(file);
    }
    Result<void> rename(File& file, const Path& from, const Path& to) override {
        if (fault_ == Fault::SignalBeforeRename) {
            std::raise(SIGTERM);
        }
        return fault_ == Fault::RenameFails ? failure<void>() : system_.rename(file, from, to);
    }
    void remove(File& file, const Path& name) override { system_.remove(file, name); }
    void flushFolder(const Path& folder) override { system_.flushFolder(folder); }

private:
    static constexpr std::uint64_t kUser = 1000, kStranger = 1001, kFolderOwner = 1002;
    bool plantsLinks() const {
        return fault_ == Fault::PlantedLink || fault_ == Fault::FolderOwnersLink;
    }
    bool taken() {
        return fault_ == Fault::NamesAllTaken || (fault_ == Fault::NameTakenOnce && takes_++ == 0);
    }
    // A failure this file system makes up is a full disk.
    template <typename T> static Result<T> failure() {
        return platform::unexpected(
            platform::SystemError{platform::SystemError::Kind::NoSpace, 28});
    }
    template <typename T> static Result<T> exists() {
        return platform::unexpected(platform::SystemError{platform::SystemError::Kind::Exists, 17});
    }

    Fault fault_;
    bool unnamed_;
    int takes_ = 0;
    platform::FileSystem& system_ = platform::systemFileSystem();
};

} // namespace qlx::test
