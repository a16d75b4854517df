// The sequence that replaces an output, on every system: where the target really is, a private
// new file beside it, and the steps that put it in the target's place.
#include "io/pending_output.h"

#include "platform/process.h"
#include "text/ascii_case.h"

#include <algorithm>
#include <optional>
#include <string>

namespace qlx::io {

namespace fs = std::filesystem;
using platform::PathFacts;
using platform::Result;

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
    const std::string kind = target.extension().string();
    const std::string name = "." + kind.substr(kind.empty() ? 0 : 1) + "." +
                             std::to_string(platform::unguessable() % 1000000000000ull) + ".tmp";
    return target.parent_path() / name;
}

bool taken(const platform::SystemError& error) {
    return error.kind == platform::SystemError::Kind::Exists;
}

// The first of a few fresh hidden names beside the target that `create` does not find taken.
template <typename Create>
Result<fs::path> freshName(const fs::path& target, const Create& create) {
    platform::SystemError error{platform::SystemError::Kind::Exists, 0};
    for (int attempt = 0; attempt < kNameAttempts && taken(error); ++attempt) {
        fs::path name = temporaryName(target);
        const auto created = create(name);
        if (created) {
            return name;
        }
        error = created.error();
    }
    return platform::unexpected(error);
}

// Where the output is to be written: the target, or where its links lead; or why the target is
// refused: neither missing nor a regular file this user may write, or reached through a link that
// the system would not follow for this user.
platform::Expected<fs::path, OutputFailure> resolve(platform::FileSystem& system, fs::path path) {
    using Step = OutputFailure::Step;
    for (int links = 0;; ++links) {
        const auto facts = system.facts(path);
        if (!facts) {
            return platform::unexpected(OutputFailure{Step::Target, facts.error()});
        }
        if (facts->type != PathFacts::Type::Link) {
            if (facts->type == PathFacts::Type::Missing ||
                (facts->type == PathFacts::Type::Regular && !facts->unwritable)) {
                return path;
            }
            return platform::unexpected(
                OutputFailure{Step::Target, facts->unwritable.value_or(platform::SystemError{})});
        }
        if (links == kMaxLinks) {
            return platform::unexpected(
                OutputFailure{Step::Target, {platform::SystemError::Kind::LinkLoop, 0}});
        }
        const fs::path folder = folderOf(path);
        // A folder whose facts cannot be told is taken for no shared one: the link is then
        // followed, as the system follows it where it is not shared.
        const auto shared = system.folderFacts(folder);
        if (shared && shared->shared && facts->owner != system.user() &&
            facts->owner != shared->owner) {
            return platform::unexpected(OutputFailure{Step::SharedLink, {}});
        }
        const auto next = system.readLink(path);
        if (!next) {
            return platform::unexpected(OutputFailure{Step::Target, next.error()});
        }
        path = next->is_absolute() ? *next : folder / *next;
    }
}

// Letters in either case, as some file systems compare names: a name that differs from another
// in case alone may name the same entry.
bool sameName(const fs::path& a, const fs::path& b) {
    const auto x = a.filename().native();
    const auto y = b.filename().native();
    return x.size() == y.size() && std::equal(x.begin(), x.end(), y.begin(), [](auto p, auto q) {
               return text::lowerAscii(p) == text::lowerAscii(q);
           });
}

// Whether replacing `target` would replace the name that `input` is read through: one file, in
// one folder, under one name.
bool replacesInput(platform::FileSystem& system, const fs::path& target, const fs::path& input) {
    const auto output = system.facts(target);
    const auto read = system.facts(input);
    const auto outputFolder = system.folderFacts(folderOf(target));
    const auto inputFolder = system.folderFacts(folderOf(input));
    // Two folders that cannot be told apart count as one: the output is refused rather than
    // risked.
    const bool oneFolder = outputFolder && inputFolder
                               ? outputFolder->identity == inputFolder->identity
                               : !outputFolder && !inputFolder;
    return output && read && output->type == PathFacts::Type::Regular &&
           read->type == PathFacts::Type::Regular && output->identity == read->identity &&
           oneFolder && sameName(target, input);
}

} // namespace

PendingOutput::PendingOutput(const fs::path& target, const fs::path& input,
                             platform::FileSystem& system)
    : system_(system) {
    auto resolved = resolve(system_, target);
    if (!resolved) {
        failure_ = resolved.error();
        return;
    }
    target_ = std::move(*resolved);
    if (!input.empty()) {
        const auto read = resolve(system_, input);
        if (read && replacesInput(system_, target_, *read)) {
            failure_ = {OutputFailure::Step::IsInput, {}};
            return;
        }
    }
    if (auto unnamed = system_.createUnnamed(folderOf(target_))) {
        file_ = std::move(*unnamed);
        return;
    }
    const auto named = freshName(target_, [&](const fs::path& name) -> Result<void> {
        auto file = system_.createNamed(name);
        if (!file) {
            return platform::unexpected(file.error());
        }
        file_ = std::move(*file);
        return {};
    });
    if (!named) {
        fail(OutputFailure::Step::Create, named.error());
        return;
    }
    name_ = *named;
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

// An output that could not be opened takes what is written and drops it: it commits nothing.
bool PendingOutput::put(std::string_view bytes) {
    while (isOpen() && !bytes.empty()) {
        const auto put = system_.write(file_, bytes);
        if (!put || *put == 0) {
            return fail(OutputFailure::Step::Write, put ? platform::SystemError{} : put.error());
        }
        bytes.remove_prefix(std::min(*put, bytes.size()));
    }
    return true;
}

// Gives an unnamed file a hidden name beside the target, which the rename then moves.
Result<void> PendingOutput::name() {
    const auto named =
        freshName(target_, [&](const fs::path& name) { return system_.nameUnnamed(file_, name); });
    if (!named) {
        return platform::unexpected(named.error());
    }
    name_ = *named;
    return {};
}

// Each step of putting the complete new file in the target's place, in order.
Result<void> PendingOutput::replace() {
    if (auto done = system_.copyMode(file_, target_); !done) {
        return done;
    }
    if (auto done = system_.flushToDisk(file_); !done) {
        return done;
    }
    if (name_.empty()) {
        if (auto done = name(); !done) {
            return done;
        }
    }
    if (auto done = system_.keep(file_); !done) {
        return done;
    }
    return system_.rename(file_, name_, target_);
}

platform::Expected<void, OutputFailure> PendingOutput::opened() const {
    if (!isOpen()) {
        return platform::unexpected(failure_);
    }
    return {};
}

platform::Expected<void, OutputFailure> PendingOutput::commit() {
    if (!isOpen() || !finish()) {
        return platform::unexpected(failure_);
    }
    if (const auto replaced = replace(); !replaced) {
        fail(OutputFailure::Step::Replace, replaced.error());
        return platform::unexpected(failure_);
    }
    name_.clear();
    file_ = platform::File();
    // The new name is durable once its folder is on the disk. The output is in place whatever
    // this says, so a folder that cannot be flushed fails nothing.
    system_.flushFolder(folderOf(target_));
    return {};
}

} // namespace qlx::io
