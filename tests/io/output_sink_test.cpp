// The output sink: pieces of any size arrive whole and in order, in puts of at most its capacity
// but for a piece larger than that; one put that fails fails the output, whatever follows.
#include "io/output_sink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qlx::io {
namespace {

class Recorder : public OutputSink {
public:
    explicit Recorder(std::size_t capacity, int failing = -1)
        : OutputSink(capacity), failing_(failing) {}
    std::vector<std::string> puts;

private:
    bool put(std::string_view bytes) override {
        puts.emplace_back(bytes);
        return static_cast<int>(puts.size()) - 1 != failing_;
    }
    int failing_;
};

TEST(OutputSink, GathersInOrderAndReportsAFailedPut) {
    Recorder sink(8);
    for (const char* piece : {"abc", "defgh", "i", "0123456789", "jk"}) {
        sink.write(std::string_view(piece));
    }
    ASSERT_TRUE(sink.finish());
    std::string all;
    for (const auto& put : sink.puts) {
        EXPECT_TRUE(put.size() <= 8 || put == "0123456789") << put;
        all += put;
    }
    EXPECT_EQ(all, "abcdefghi0123456789jk");
    Recorder failing(4, 0);
    failing.write(std::string_view("abcdef"));
    failing.write(std::string_view("gh"));
    EXPECT_FALSE(failing.finish()) << "the first put failed, the later ones did not";
}

} // namespace
} // namespace qlx::io
