// Reading a whole file into memory.
#pragma once

#include "io/buffer.h"

#include <cstddef>
#include <filesystem>
#include <optional>

namespace qlx::io {

// The file's bytes, or nothing when it cannot be opened or a read fails before its end.
std::optional<Buffer> readFile(const std::filesystem::path& path);

// The size of a regular file, or nothing for anything else (a missing file, a pipe).
std::optional<std::size_t> regularFileSize(const std::filesystem::path& path);

} // namespace qlx::io
