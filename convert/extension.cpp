// The file-name rule, on the native string so that a wide Windows path keeps every character.
#include "convert/extension.h"

#include <utility>

namespace qlx::convert {

namespace {

using NativeString = std::filesystem::path::string_type;

NativeString native(std::string_view ascii) {
    return NativeString(ascii.begin(), ascii.end());
}

} // namespace

bool hasExtension(const std::filesystem::path& path, std::string_view extension) {
    const auto& text = path.native();
    const auto dot = text.rfind('.');
    return dot != text.npos && text.compare(dot, text.npos, native(extension)) == 0;
}

std::optional<std::filesystem::path> outputPath(const std::filesystem::path& input,
                                                std::string_view extension) {
    auto text = input.native();
    const auto dot = text.rfind('.');
    if (dot == text.npos) {
        return std::nullopt;
    }
    text.replace(dot, 4, native(extension));
    return std::filesystem::path(std::move(text));
}

} // namespace qlx::convert
