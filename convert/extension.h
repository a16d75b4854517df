// The file-name rule that both the choice of direction and the output path follow: what counts
// is the text from the last "." of the file's own name; a dot in a folder's name is no extension.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace qlx::convert {

// True when the text from the file name's last "." is `extension`, its letters in either case.
bool hasExtension(const std::filesystem::path& path, std::string_view extension);

// The path with the four characters from its file name's last "." (or as many as there are)
// replaced by `extension`; nothing when the file name holds no ".".
std::optional<std::filesystem::path> outputPath(const std::filesystem::path& input,
                                                std::string_view extension);

} // namespace qlx::convert
