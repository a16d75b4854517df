// Any bytes as a CSV file: the rows are walked into a motion file as the import does, without
// files. Whatever imports must load as a motion file and lay out as rows again, as the export
// does, and it holds no more records than the text has rows.
#include "convert/export.h"
#include "convert/row_walk.h"
#include "motion/motion_file.h"
#include "tests/support/support.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qlx;
    test::TextRows rows({reinterpret_cast<const char*>(data), size});
    std::string bytes;
    test::StringSink sink(bytes);
    const convert::Status status = convert::walkRows(*rows, sink).status;
    sink.finish();
    if (status == convert::Status::Ok) {
        const auto motion = motion::parseMotion(std::as_bytes(std::span(bytes)));
        if (!motion) {
            std::abort();
        }
        const std::size_t records = motion->bones.size() + motion->morphs.size() +
                                    motion->cameras.size() + motion->lights.size();
        const auto lines = static_cast<std::size_t>(std::count(data, data + size, '\n')) + 1;
        if (records + 6 > lines) {
            std::abort();
        }
        std::string text;
        qlx::test::StringSink csv(text);
        convert::motionToCsv(*motion, csv);
    } else if (status != convert::Status::RowsNotAMotion && status != convert::Status::WriteError) {
        std::abort();
    }
    return 0;
}
