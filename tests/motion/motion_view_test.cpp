// The motion header: the version rule that chooses the active model-name field, and the text
// fields, which keep what fits and the bytes after it.
#include "motion/motion_view.h"

#include "tests/support/motion_document.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <tuple>

namespace qlx::motion {
namespace {

using test::MotionDocument;
using test::ofVersion;
using test::save;
using test::savedBytes;

using namespace std::string_literals;

template <std::size_t N> std::string bytesOf(const std::array<char, N>& field) {
    return {field.data(), N};
}

TEST(MotionHeader, VersionDecidesTheActiveModelName) {
    const std::vector<std::pair<const char*, std::optional<std::string>>> cases = {
        {"file", "tavo"}, {"0002", std::string(kDefaultModelName)}, {"0003", {}}, {"0002 ", {}}};
    for (const auto& [suffix, name] : cases) {
        MotionDocument document = ofVersion(suffix);
        std::memset(document.magic.data(), 'X', 21); // plays no part
        EXPECT_EQ(document.modelName(), name) << suffix;
        const MotionDocument before = document;
        document.setModelName("zz");
        EXPECT_EQ(document.modelName(), name ? std::optional<std::string>("zz") : std::nullopt);
        EXPECT_TRUE(name || (document.shortModelName == before.shortModelName &&
                             document.longModelName == before.longModelName));
        EXPECT_EQ(savedBytes(document) != "not saved", name.has_value()) << suffix;
    }
}

TEST(MotionHeader, TextFieldsKeepWhatFitsAndTheBytesAfterIt) {
    // The field afterwards, when it held twenty x first.
    const std::vector<std::tuple<const char*, std::string, std::string>> cases = {
        {"0002", "ab", "ab\0"s + std::string(17, 'x')},
        {"0002", std::string(19, 'a'), std::string(19, 'a') + '\0'},
        {"0002", std::string(25, 'a'), std::string(20, 'a')},
        {"0002", "a\0b"s, "a\0"s + std::string(18, 'x')},
        {"file", std::string(9, 'a'), std::string(9, 'a') + '\0'},
        {"file", std::string(25, 'a'), std::string(10, 'a')}};
    for (const auto& [suffix, text, field] : cases) {
        MotionDocument document = ofVersion(suffix);
        document.setModelName(std::string(20, 'x'));
        document.setModelName(text);
        EXPECT_EQ(suffix[0] == 'f' ? bytesOf(document.shortModelName)
                                   : bytesOf(document.longModelName),
                  field);
    }
    const std::string base = "Quorlane Motion Data ";
    const std::vector<std::pair<std::string, std::string>> magics = {
        {"abc", "abc\0lane Motion Data 0002\0"s},
        {base, base + "\0"
                      "002\0"s},
        {base + "file and more", base + "file\0"s}};
    for (const auto& [text, magic] : magics) {
        MotionDocument document;
        setMagic(document, text);
        EXPECT_EQ(bytesOf(document.magic), magic) << text;
    }
}

} // namespace
} // namespace qlx::motion
