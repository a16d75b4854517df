// The output path rule shared by both conversions.
#include "convert/conversion.h"

namespace qlx::convert {

std::optional<std::filesystem::path> outputPath(const std::filesystem::path& input,
                                                std::string_view extension) {
    // Works on the native string, so a wide Windows path keeps every character.
    auto text = input.native();
    const auto dot = text.rfind('.');
    if (dot == text.npos) {
        return std::nullopt;
    }
    text.replace(dot, 4, std::filesystem::path::string_type(extension.begin(), extension.end()));
    return std::filesystem::path(std::move(text));
}

} // namespace qlx::convert
