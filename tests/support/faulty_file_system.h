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
    using Creation = platform::Creation;

public:
    // Without `unnamedFiles`, as on a system that has none: every new file is named.
    FaultyFileSystem(Fault fault, bool unnamedFiles) : fault_(fault), unnamed_(unnamedFiles) {}

    platform::PathFacts facts(const Path& path) override {
        auto facts = system_.facts(path);
        if (facts.type == platform::PathFacts::Type::Link && plantsLinks()) {
            facts.owner = fault_ == Fault::PlantedLink ? kStranger : kFolderOwner;
        }
        return facts;
    }
    platform::FolderFacts folderFacts(const Path& folder) override {
        return plantsLinks() ? platform::FolderFacts{true, kFolderOwner}
                             : system_.folderFacts(folder);
    }
    std::uint64_t user() override { return plantsLinks() ? kUser : system_.user(); }
    std::optional<Path> readLink(const Path& link) override { return system_.readLink(link); }
    std::optional<File> createUnnamed(const Path& folder) override {
        return unnamed_ ? system_.createUnnamed(folder) : std::nullopt;
    }
    Creation createNamed(const Path& name, File& file) override {
        return taken() ? Creation::Taken : system_.createNamed(name, file);
    }
    Creation nameUnnamed(File& file, const Path& name) override {
        if (fault_ == Fault::NamingFails) {
            return Creation::Failed;
        }
        return taken() ? Creation::Taken : system_.nameUnnamed(file, name);
    }
    std::optional<std::size_t> write(File& file, std::span<const char> bytes) override {
        switch (fault_) {
        case Fault::ShortWrites:
            return system_.write(file, bytes.first((bytes.size() + 1) / 2));
        case Fault::WriteStalls:
            return 0;
        case Fault::NoSpace:
            return std::nullopt;
        default:
            return system_.write(file, bytes);
        }
    }
    bool flushToDisk(File& file) override {
        return fault_ != Fault::FlushFails && system_.flushToDisk(file);
    }
    bool copyMode(File& file, const Path& target) override {
        return fault_ != Fault::ModeFails && system_.copyMode(file, target);
    }
    bool keep(File& file) override { return fault_ != Fault::KeepFails && system_.keep(file); }
    bool rename(File& file, const Path& from, const Path& to) override {
        if (fault_ == Fault::SignalBeforeRename) {
            std::raise(SIGTERM);
        }
        return fault_ != Fault::RenameFails && system_.rename(file, from, to);
    }
    void remove(File& file, const Path& name) override { system_.remove(file, name); }
    void flushFolder(const Path& folder) override { system_.flushFolder(folder); }
    // A failure this file system makes up is a full disk; any other is the system's.
    platform::SystemError lastError() override {
        return fault_ == Fault::None || fault_ == Fault::ShortWrites
                   ? system_.lastError()
                   : platform::SystemError{platform::SystemError::Kind::NoSpace, 28};
    }

private:
    static constexpr std::uint64_t kUser = 1000, kStranger = 1001, kFolderOwner = 1002;
    bool plantsLinks() const {
        return fault_ == Fault::PlantedLink || fault_ == Fault::FolderOwnersLink;
    }
    bool taken() {
        return fault_ == Fault::NamesAllTaken || (fault_ == Fault::NameTakenOnce && takes_++ == 0);
    }

    Fault fault_;
    bool unnamed_;
    int takes_ = 0;
    platform::FileSystem& system_ = platform::systemFileSystem();
};

} // namespace qlx::test
