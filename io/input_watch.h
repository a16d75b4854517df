// Whether an input kept its bytes while it was converted: its size and the time of its last
// writing, as the system tells them, and where that time is too recent to tell a write made
// within the file system's time step from none, the digest of its bytes too.
#pragma once

#include "platform/files.h"

#include <cstdint>
#include <optional>

namespace qlx::io {

class InputWatch {
public:
    // Before the input is read: where its time is too recent to tell by, the digest of its bytes,
    // which costs a read of the file; a file older than that costs nothing.
    static platform::Result<InputWatch> start(const platform::InputFile& input);
    // After it was read: whether it has the size, the time and, where they tell too little, the
    // bytes that it had when the watch started.
    platform::Result<bool> unchanged(const platform::InputFile& input) const;

private:
    explicit InputWatch(std::optional<std::uint64_t> digest) : digest_(digest) {}
    std::optional<std::uint64_t> digest_;
};

} // namespace qlx::io
