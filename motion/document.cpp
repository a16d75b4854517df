// The motion document's version rule and its model-name and signature text fields.
#include "motion/document.h"

#include <algorithm>
#include <cstring>

namespace qlx::motion {

namespace {

constexpr std::size_t kVersionOffset = 21;

bool suffixIs(const std::array<char, kMagicSize>& magic, std::string_view suffix) {
    // The suffix and its terminating NUL: five bytes.
    return std::memcmp(magic.data() + kVersionOffset, suffix.data(), suffix.size() + 1) == 0;
}

} // namespace

MotionVersion MotionDocument::version() const {
    if (suffixIs(magic, "file")) {
        return MotionVersion::Legacy;
    }
    if (suffixIs(magic, "0002")) {
        return MotionVersion::Current;
    }
    return MotionVersion::Unrecognised;
}

std::optional<std::string_view> MotionDocument::modelName() const {
    switch (version()) {
    case MotionVersion::Legacy:
        return fieldText(shortModelName);
    case MotionVersion::Current:
        return fieldText(longModelName);
    case MotionVersion::Unrecognised:
        break;
    }
    return std::nullopt;
}

void MotionDocument::setModelName(std::string_view text) {
    switch (version()) {
    case MotionVersion::Legacy:
        copyText(text, shortModelName, shortModelName.size());
        break;
    case MotionVersion::Current:
        copyText(text, longModelName, longModelName.size());
        break;
    case MotionVersion::Unrecognised:
        break;
    }
}

std::string_view fieldText(std::span<const char> field) {
    const auto end = std::find(field.begin(), field.end(), '\0');
    return {field.data(), static_cast<std::size_t>(end - field.begin())};
}

void copyText(std::string_view text, std::span<char> field, std::size_t limit) {
    text = text.substr(0, std::min(text.find('\0'), std::min(limit, field.size())));
    std::copy(text.begin(), text.end(), field.begin());
    if (text.size() < field.size()) {
        field[text.size()] = '\0';
    }
}

void setMagic(MotionDocument& document, std::string_view text) {
    copyText(text, document.magic, kMagicSize - 1);
}

} // namespace qlx::motion
