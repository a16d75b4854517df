// The motion header's version rule and the text fields it decides between.
#include "motion/motion_view.h"

#include "text/fixed_text.h"

#include <cstring>
#include <utility>

namespace qlx::motion {

namespace {

bool suffixIs(const std::array<char, kMagicSize>& magic, std::string_view suffix) {
    // The suffix and its terminating NUL: five bytes.
    return std::memcmp(magic.data() + kVersionOffset, suffix.data(), suffix.size() + 1) == 0;
}

} // namespace

MotionVersion MotionHeader::version() const {
    if (suffixIs(magic, "file")) {
        return MotionVersion::Legacy;
    }
    if (suffixIs(magic, "0002")) {
        return MotionVersion::Current;
    }
    return MotionVersion::Unrecognised;
}

std::span<const char> MotionHeader::activeModelName() const {
    switch (version()) {
    case MotionVersion::Legacy:
        return shortModelName;
    case MotionVersion::Current:
        return longModelName;
    case MotionVersion::Unrecognised:
        break;
    }
    return {};
}

std::span<char> MotionHeader::activeModelName() {
    const auto field = std::as_const(*this).activeModelName();
    return {const_cast<char*>(field.data()), field.size()};
}

std::optional<std::string_view> MotionHeader::modelName() const {
    if (version() == MotionVersion::Unrecognised) {
        return std::nullopt;
    }
    return text::fieldText(activeModelName());
}

std::size_t MotionHeader::setModelName(std::string_view text) {
    const auto field = activeModelName();
    return text::copyText(text, field, field.size());
}

std::size_t setMagic(MotionHeader& header, std::string_view text) {
    return text::copyText(text, header.magic, kMagicSize - 1);
}

} // namespace qlx::motion
