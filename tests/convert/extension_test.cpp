// The file-name rule on its own: which paths count as a motion file or a CSV file, and the
// output path each gives, whatever a caller checked before.
#include "convert/extension.h"

#include <gtest/gtest.h>

namespace qlx::convert {
namespace {

TEST(Extension, CountsFromTheFileNamesLastDot) {
    const struct {
        const char* path;
        bool qlx;
        std::optional<const char*> csv; // the output path for ".csv", nothing when refused
    } cases[] = {
        {"take.qlx", true, "take.csv"},
        {"TAKE.Qlx", true, "TAKE.csv"},
        {"a.b/take.qlx", true, "a.b/take.csv"},
        {"a.b/take", false, std::nullopt},
        {"a.qlx/take", false, std::nullopt},
        {"take", false, std::nullopt},
        {"", false, std::nullopt},
        {"take.qlx ", false, "take.csv "},
        {"take.qlx.bak", false, "take.qlx.csv"},
        {"take.q", false, "take.csv"},
        {"take.qlxx", false, "take.csvx"},
        {"take.", false, "take.csv"},
        {".qlx", true, ".csv"},
        {"a.b/.qlx", true, "a.b/.csv"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hasExtension(c.path, ".qlx"), c.qlx) << c.path;
        const auto output = outputPath(c.path, ".csv");
        EXPECT_EQ(output.has_value(), c.csv.has_value()) << c.path;
        if (output && c.csv) {
            EXPECT_EQ(output->string(), *c.csv) << c.path;
        }
    }
}

} // namespace
} // namespace qlx::convert
