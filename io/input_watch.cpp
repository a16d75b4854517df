// Watching an input: its time, and its digest where its time is too recent.
#include "io/input_watch.h"

#include <cstring>
#include <vector>

namespace qlx::io {

namespace {

constexpr std::int64_t kSecond = 1'000'000'000;

// Whether a file written at `stamp` may have been written again within the file system's time
// step before `now` without its time telling (a file "racily clean"): times that count whole
// seconds step by up to two (FAT's do), finer ones by the system's tick.
bool recentlyWritten(std::int64_t stamp, std::int64_t now) {
    const std::int64_t step = stamp % kSecond == 0 ? 2 * kSecond : kSecond / 10;
    return stamp >= now - step;
}

// A digest of the file's first `size` bytes: eight bytes a step, each word mixed into the state:
// fast enough to cost little beside the read, and made for telling changed bytes apart, not for
// withstanding someone who chooses them.
platform::Result<std::uint64_t> digestOf(const platform::File& file, std::uint64_t size) {
    constexpr std::size_t kRead = std::size_t{1} << 20; // a multiple of the word
    std::vector<char> buffer(kRead);
    std::uint64_t digest = size;
    for (std::uint64_t at = 0; at < size;) {
        const auto got = file.readAt(at, buffer);
        if (!got) {
            return platform::unexpected(got.error());
        }
        if (*got == 0) {
            break; // cut short: the size tells
        }
        std::memset(buffer.data() + *got, 0, (8 - *got % 8) % 8);
        for (std::size_t i = 0; i < *got; i += 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, buffer.data() + i, 8);
            digest = (digest ^ word) * 0x9E3779B97F4A7C15u;
            digest ^= digest >> 29;
        }
        at += *got;
    }
    return digest;
}

} // namespace

platform::Result<InputWatch> InputWatch::start(const platform::InputFile& input) {
    if (!recentlyWritten(input.stamp, input.openedAt)) {
        return InputWatch(std::nullopt);
    }
    const auto digest = digestOf(input.file, input.size);
    if (!digest) {
        return platform::unexpected(digest.error());
    }
    return InputWatch(*digest);
}

platform::Result<bool> InputWatch::unchanged(const platform::InputFile& input) const {
    if (!input.unchanged()) {
        return false;
    }
    if (!digest_) {
        return true;
    }
    const auto digest = digestOf(input.file, input.size);
    if (!digest) {
        return platform::unexpected(digest.error());
    }
    return *digest == *digest_;
}

} // namespace qlx::io
