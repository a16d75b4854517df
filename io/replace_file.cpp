// Replacing an output only once its new bytes are completely written: a temporary file beside it,
// renamed over it at the end.
#include "io/replace_file.h"

#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace qlx::io {

namespace fs = std::filesystem;

namespace {

// A name in the target's folder that no other file has; the random part keeps two converters
// working in one folder apart.
fs::path temporaryBeside(const fs::path& target) {
    std::random_device entropy;
    std::mt19937_64 generator((static_cast<std::uint64_t>(entropy()) << 32) ^ entropy());
    const char* digits = "0123456789abcdef";
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string suffix = ".";
        auto value = generator();
        for (int i = 0; i < 12; ++i, value >>= 4) {
            suffix += digits[value & 15];
        }
        suffix += ".tmp";
        // A short name of its own, so that a target whose name is near the system's limit
        // still has a temporary file beside it.
        const fs::path candidate = target.parent_path() / (".qlx" + suffix);
        std::error_code ec;
        if (!fs::exists(candidate, ec) && !ec) {
            return candidate;
        }
    }
    return {};
}

// A missing target may be created; an existing one must be a file this user may write.
bool mayReplace(const fs::path& target) {
    std::error_code ec;
    const auto status = fs::status(target, ec);
    if (ec || !fs::exists(status)) {
        return true;
    }
    if (fs::is_directory(status)) {
        return false;
    }
    // Opening for append changes nothing, yet fails on a file the user may not write.
    std::ofstream probe(target, std::ios::binary | std::ios::app);
    return static_cast<bool>(probe);
}

} // namespace

bool replaceFile(const fs::path& linkOrTarget, const std::function<void(OutputSink&)>& produce) {
    // An output reached through a symbolic link is replaced where the link points; the link
    // stays a link. A target that does not exist yet is no link.
    std::error_code linkError;
    const bool isLink = fs::is_symlink(fs::symlink_status(linkOrTarget, linkError));
    linkError.clear();
    const fs::path target = isLink ? fs::weakly_canonical(linkOrTarget, linkError) : linkOrTarget;
    if (linkError || !mayReplace(target)) {
        return false;
    }
    const fs::path temporary = temporaryBeside(target);
    if (temporary.empty()) {
        return false;
    }
    bool written = false;
    {
        std::vector<char> buffer(1 << 20);
        std::ofstream out;
        out.rdbuf()->pubsetbuf(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        out.open(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            return false;
        }
        OutputSink sink(out);
        produce(sink);
        out.flush();
        written = static_cast<bool>(out);
        out.close();
        written = written && !out.fail();
    }
    std::error_code ec;
    if (written) {
        const auto oldPermissions = fs::status(target, ec).permissions();
        if (!ec && oldPermissions != fs::perms::unknown) {
            fs::permissions(temporary, oldPermissions, ec);
        }
        ec.clear();
        fs::rename(temporary, target, ec);
        written = !ec;
    }
    if (!written) {
        fs::remove(temporary, ec);
    }
    return written;
}

} // namespace qlx::io
