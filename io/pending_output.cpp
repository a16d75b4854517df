// The sequence that replaces an output, on every system: where the target really is, a private
// new file beside it, and the steps that put it in the target's place.
#include "io/pending_output.h"

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <variant>

namespace qlx::io {

namespace fs = std::filesystem;
using platform::Creation;
using platform::PathFacts;

namespace {

// A name that no other file is likely to have: another is tried when it is taken.
constexpr int kNameAttempts = 16;
// Links followed before the target counts as unreachable, as the system counts them.
constexpr int kMaxLinks = 40;

fs::path folderOf(const fs::path& path) {
    return path.parent_path().empty() ? fs::path(".") : path.parent_path();
}

// A hidden name beside the target, after the target's kind: ".csv.123456789012.tmp".
fs::path temporaryName(const fs::path& target) {
    std::random_device entropy;
    std::mt19937_64 generator((static_cast<std::uint64_t>(entropy()) << 32) ^ entropy());
    const std::string kind = target.extension().string();
    const std::string name = "." + kind.substr(kind.empty() ? 0 : 1) + "." +
                             std::to_string(generator() % 1000000000000ull) + ".tmp";
    return target.parent_path() / name;
}

// The first of a few fresh hidden names beside the target that `create` does not find taken.
template <typename Create>
std::optional<fs::path> freshName(const fs::path& target, const Create& create) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        fs::path name = temporaryName(target);
        const Creation created = create(name);
        if (created != Creation::Taken) {
            return created == Creation::Done ? std::optional(std::move(name)) : std::nullopt;
        }
    }
    return std::nullopt;
}

// Where the output is to be written: the target, or where its links lead; or why the target is
// refused: neither missing nor a regular file this user may write, or reached through a link that
// the system would not follow for this user.
std::variant<fs::path, OutputFailure> resolve(platform::FileSystem& system, fs::path path) {
    using Step = OutputFailure::Step;
    for (int links = 0;; ++links) {
        const PathFacts facts = system.facts(path);
        if (facts.type != PathFacts::Type::Link) {
            const bool replaceable = facts.type == PathFacts::Type::Missing ||
                                     (facts.type == PathFacts::Type::Regular && facts.writable);
            if (replaceable) {
                return path;
            }
            return OutputFailure{Step::Target, facts.error};
        }
        if (links == kMaxLinks) {
            return OutputFailure{Step::Target, {platform::SystemError::Kind::LinkLoop, 0}};
        }
        const fs::path folder = folderOf(path);
        const platform::FolderFacts shared = system.folderFacts(folder);
        if (shared.shared && facts.owner != system.user() && facts.owner != shared.owner) {
            return OutputFailure{Step::SharedLink, {}};
        }
        const auto next = system.readLink(path);
        if (!next) {
            return OutputFailure{Step::Target, system.lastError()};
        }
        path = next->is_absolute() ? *next : folder / *next;
    }
}

} // namespace

PendingOutput::PendingOutput(const fs::path& target, platform::FileSystem& system)
    : system_(system), sink_([this](std::string_view bytes) { return writeAll(bytes); }) {
    auto resolved = resolve(system_, target);
    if (auto* refused = std::get_if<OutputFailure>(&resolved)) {
        failure_ = *refused;
        return;
    }
    target_ = std::get<fs::path>(std::move(resolved));
    if (auto unnamed = system_.createUnnamed(folderOf(target_))) {
        file_ = std::move(*unnamed);
        return;
    }
    const auto named =
        freshName(target_, [&](const fs::path& name) { return system_.createNamed(name, file_); });
    name_ = named.value_or(fs::path());
    if (!named) {
        fail(OutputFailure::Step::Create, system_.lastError());
    }
}

PendingOutput::~PendingOutput() {
    if (isOpen()) {
        system_.remove(file_, name_);
    }
}

bool PendingOutput::fail(OutputFailure::Step step, platform::SystemError error) {
    if (failure_.step == OutputFailure::Step::None) {
        failure_ = {step,
                    error ? error : platform::SystemError{platform::SystemError::Kind::Other, 0}};
    }
    return false;
}

bool PendingOutput::writeAll(std::string_view bytes) {
    while (!bytes.empty()) {
        const auto put = system_.write(file_, bytes);
        if (!put || *put == 0) {
            return fail(OutputFailure::Step::Write,
                        put ? platform::SystemError{} : system_.lastError());
        }
        bytes.remove_prefix(std::min(*put, bytes.size()));
    }
    return true;
}

// Gives an unnamed file a hidden name beside the target, which the rename then moves.
bool PendingOutput::name() {
    const auto named =
        freshName(target_, [&](const fs::path& name) { return system_.nameUnnamed(file_, name); });
    name_ = named.value_or(fs::path());
    return named.has_value();
}

bool PendingOutput::commit() {
    using Step = OutputFailure::Step;
    if (!isOpen() || !sink_.finish()) {
        return false;
    }
    if (!system_.copyMode(file_, target_) || !system_.flushToDisk(file_) ||
        (name_.empty() && !name()) || !system_.keep(file_) ||
        !system_.rename(file_, name_, target_)) {
        return fail(Step::Replace, system_.lastError());
    }
    name_.clear();
    file_ = platform::File();
    // The new name is durable once its folder is on the disk. The output is in place whatever
    // this says, so a folder that cannot be flushed fails nothing.
    system_.flushFolder(folderOf(target_));
    return true;
}

} // namespace qlx::io
