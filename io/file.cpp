// Whole-file reading and all-or-nothing file replacement.
#include "io/file.h"

#include <array>
#include <random>
#include <system_error>
#include <vector>

namespace qlx::io {

namespace fs = std::filesystem;

std::optional<std::size_t> regularFileSize(const fs::path& path) {
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (ec || !fs::is_regular_file(status)) {
        return std::nullopt;
    }
    const auto size = fs::file_size(path, ec);
    if (ec) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(size);
}

std::optional<Buffer> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    constexpr std::size_t kChunk = 1 << 16;
    const std::size_t expected = regularFileSize(path).value_or(0);
    Buffer bytes;
    // Room for the whole file and the read that finds its end, so the buffer never moves.
    bytes.reserve(expected + kChunk);
    while (in) {
        const std::size_t want = std::max(kChunk, expected - std::min(expected, bytes.size()));
        char* out = bytes.extend(want);
        in.read(out, static_cast<std::streamsize>(want));
        bytes.shrink(bytes.size() - want + static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        return std::nullopt;
    }
    return bytes;
}

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

bool existingTargetIsWritable(const fs::path& target) {
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
    if (linkError || !existingTargetIsWritable(target)) {
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
