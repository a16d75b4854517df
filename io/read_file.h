// Reading a whole input file into memory; only regular files are inputs.
#pragma once

#include "io/buffer.h"

#include <filesystem>
#include <optional>

namespace qlx::io {

// The file's bytes, or nothing when it is no regular file, cannot be opened, or a read fails.
std::optional<Buffer> readFile(const std::filesystem::path& path);

} // namespace qlx::io
