// The file-name rule, on the native string so that a wide Windows path keeps every character.
#include "convert/extension.h"

#include "text/ascii_case.h"

#include <algorithm>
#include <utility>

namespace qlx::convert {

namespace {

using NativeString = std::filesystem::path::string_type;

NativeString native(std::string_view ascii) {
    return NativeString(ascii.begin(), ascii.end());
}

// Where the file name's last "." stands in the path, or npos: a dot before the last separator
// is in a folder's name.
std::size_t extensionDot(const NativeString& text) {
    const NativeString separators = {NativeString::value_type('/'),
                                     std::filesystem::path::preferred_separator};
    const auto dot = text.rfind('.');
    const auto separator = text.find_last_of(separators);
    return separator != text.npos && separator > dot ? text.npos : dot;
}

} // namespace

// Letters compare in either case, as file names do on Windows: "WALK.QLX" is a motion file too.
bool hasExtension(const std::filesystem::path& path, std::string_view extension) {
    const auto& text = path.native();
    const auto dot = extensionDot(text);
    if (dot == text.npos || text.size() - dot != extension.size()) {
        return false;
    }
    return std::equal(extension.begin(), extension.end(),
                      text.begin() + static_cast<std::ptrdiff_t>(dot),
                      [](char wanted, auto c) { return text::lowerAscii(c) == wanted; });
}

std::optional<std::filesystem::path> outputPath(const std::filesystem::path& input,
                                                std::string_view extension) {
    auto text = input.native();
    const auto dot = extensionDot(text);
    if (dot == text.npos) {
        return std::nullopt;
    }
    text.replace(dot, 4, native(extension));
    return std::filesystem::path(std::move(text));
}

} // namespace qlx::convert
