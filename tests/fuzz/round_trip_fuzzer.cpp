// Any bytes made into a valid motion: laid out as rows, through the file's text and walked back,
// it keeps its header, counts, names, frames, interpolation and camera-tail bytes, and a second
// layout repeats the first in every field but the bone angles, which pass through a
// single-precision quaternion.
#include "convert/pipeline_steps.h"
#include "io/fixed_text.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

using namespace qlx;

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Records of the input's bytes, with names as a person could type them in a CSV cell: no
// comma, no line end, no white space.
template <typename Record> void fill(FuzzedDataProvider& input, io::LargeVector<Record>& table) {
    table.resize(input.ConsumeIntegralInRange<std::size_t>(0, 6));
    for (auto& record : table) {
        const auto bytes = input.ConsumeBytes<char>(sizeof(Record));
        std::copy(bytes.begin(), bytes.end(), reinterpret_cast<char*>(&record));
        if constexpr (requires { record.name; }) {
            std::replace_if(
                record.name.begin(), record.name.end(),
                [](char c) { return c == ',' || c == ' ' || (c >= '\t' && c <= '\r'); }, 'x');
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    motion::MotionDocument document;
    if (input.ConsumeBool()) {
        std::memcpy(document.magic.data() + 21, "file", 5);
    }
    document.headerWord = input.ConsumeIntegral<std::int32_t>();
    std::string modelName = input.ConsumeBytesAsString(20);
    std::replace_if(
        modelName.begin(), modelName.end(),
        [](char c) { return c == '\r' || c == '\n' || c == ','; }, 'x');
    document.setModelName(modelName);
    fill(input, document.bones);
    fill(input, document.morphs);
    fill(input, document.cameras);
    fill(input, document.lights);

    csv::CsvTable first;
    require(convert::motionToTable(document, first));
    io::Buffer text;
    first.forEachPiece([&](std::string_view piece) { text.append(piece); });
    csv::CsvTable read;
    require(read.appendLines(std::move(text)));
    motion::MotionDocument back;
    require(convert::tableToMotion(read, back) == convert::Status::Ok);
    require(back.magic == document.magic && back.headerWord == document.headerWord &&
            back.modelName() == document.modelName());
    require(back.bones.size() == document.bones.size() &&
            back.morphs.size() == document.morphs.size() &&
            back.cameras.size() == document.cameras.size() &&
            back.lights.size() == document.lights.size());
    for (std::size_t i = 0; i < back.bones.size(); ++i) {
        require(io::fieldText(back.bones[i].name) == io::fieldText(document.bones[i].name));
        require(back.bones[i].frame == document.bones[i].frame &&
                back.bones[i].interpolation == document.bones[i].interpolation);
    }
    for (std::size_t i = 0; i < back.morphs.size(); ++i) {
        require(io::fieldText(back.morphs[i].name) == io::fieldText(document.morphs[i].name) &&
                back.morphs[i].frame == document.morphs[i].frame);
    }
    for (std::size_t i = 0; i < back.cameras.size(); ++i) {
        require(back.cameras[i].frame == document.cameras[i].frame &&
                std::ranges::equal(cameraTail(back.cameras[i]), cameraTail(document.cameras[i])));
    }
    csv::CsvTable second;
    require(convert::motionToTable(back, second) && second.rowCount() == first.rowCount());
    for (std::size_t r = 0; r < first.rowCount(); ++r) {
        csv::CsvRowView a = first.rowAt(r);
        csv::CsvRowView b = second.rowAt(r);
        const bool boneRow = r >= 3 && r < 3 + document.bones.size();
        require(a.fieldCount() == b.fieldCount());
        for (std::size_t field = 0; !a.empty(); ++field, a.popFront(), b.popFront()) {
            require((boneRow && field >= 5 && field <= 7) || a.front() == b.front());
        }
    }
    return 0;
}
