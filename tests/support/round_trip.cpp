// Motions made of any bytes, and their round trip through CSV text.
#include "tests/support/round_trip.h"

#include "convert/pipeline_steps.h"
#include "io/fixed_text.h"
#include "motion/motion_file.h"
#include "tests/support/support.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qlx::test {

namespace {

struct ByteSource {
    std::span<const std::uint8_t> bytes;
    void fill(void* target, std::size_t size) {
        const std::size_t n = std::min(size, bytes.size());
        std::memset(target, 0, size);
        std::memcpy(target, bytes.data(), n);
        bytes = bytes.subspan(n);
    }
    std::uint32_t word() {
        std::uint32_t value = 0;
        fill(&value, 4);
        return value;
    }
};

template <typename Record>
void fill(ByteSource& source, io::LargeVector<Record>& table, std::size_t maxKeys) {
    table.resize(source.word() % (maxKeys + 1));
    for (auto& record : table) {
        source.fill(&record, sizeof record);
        if constexpr (requires { record.name; }) {
            std::ranges::replace_if(
                record.name, [](char c) { return c == ',' || io::isSpace(c); }, 'x');
        }
        if constexpr (std::is_same_v<Record, motion::BoneKey>) {
            double norm = 0;
            for (const auto& c : record.rotation) {
                norm += double{c.get()} * c.get();
            }
            for (auto& c : record.rotation) {
                c = norm > 1e-6 && norm < 1e30 ? static_cast<float>(c.get() / std::sqrt(norm))
                                               : 0.5f;
            }
        }
    }
}

// Away from a right-angled pitch (where the matrix element m32 reaches +-1 and yaw and roll
// cannot be told apart in single precision) the rotation comes back up to sign.
bool sameRecord(const motion::BoneKey& a, const motion::BoneKey& b) {
    const auto [x, y, z, w] = b.rotation;
    float dot = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        dot += a.rotation[k].get() * b.rotation[k].get();
    }
    return a.interpolation == b.interpolation &&
           (std::fabs(2 * (y.get() * z.get() - x.get() * w.get())) > 0.99f ||
            std::fabs(dot) > 0.999998f);
}
bool sameRecord(const motion::CameraKey& a, const motion::CameraKey& b) {
    return std::ranges::equal(cameraTail(a), cameraTail(b));
}
bool sameRecord(const auto&, const auto&) {
    return true;
}

template <typename Record>
bool sameKeys(const io::LargeVector<Record>& a, const io::LargeVector<Record>& b) {
    return std::ranges::equal(a, b, [](const Record& x, const Record& y) {
        if constexpr (requires { x.name; }) {
            if (io::fieldText(x.name) != io::fieldText(y.name)) {
                return false;
            }
        }
        return x.frame == y.frame && sameRecord(x, y);
    });
}

} // namespace

motion::MotionDocument motionFromBytes(std::span<const std::uint8_t> bytes, std::size_t maxKeys) {
    ByteSource source{bytes};
    motion::MotionDocument document;
    if (source.word() % 2 != 0) {
        std::memcpy(document.magic.data() + 21, "file", 5);
    }
    document.headerWord = static_cast<std::int32_t>(source.word());
    std::array<char, 20> modelName;
    source.fill(modelName.data(), modelName.size());
    std::ranges::replace_if(
        modelName, [](char c) { return c == '\r' || c == '\n' || c == ','; }, 'x');
    document.setModelName({modelName.data(), modelName.size()});
    fill(source, document.bones, maxKeys);
    fill(source, document.morphs, maxKeys);
    fill(source, document.cameras, maxKeys);
    fill(source, document.lights, maxKeys);
    return document;
}

std::string roundTripFault(const motion::MotionDocument& original) {
    // Loading sorts; sorted first, the motion compares record by record with the one read back.
    motion::MotionDocument document = original;
    motion::sortTables(document);
    const auto layOut = [](const motion::MotionDocument& motion) {
        std::string text;
        io::OutputSink sink = sinkInto(text);
        convert::motionToTable(motion, [&](const csv::CsvRow& row) { csv::writeRow(sink, row); });
        sink.finish();
        return text;
    };
    const std::string first = layOut(document);
    std::string bytes;
    io::OutputSink sink = sinkInto(bytes);
    csv::RowReader rows = readerOf(first);
    motion::MotionDocument back;
    if (convert::tableToMotion(rows, &sink) != convert::Status::Ok || !sink.finish() ||
        !motion::loadBytes(back, std::as_bytes(std::span(bytes)))) {
        return "not walked back";
    }
    if (back.magic != document.magic || back.headerWord != document.headerWord ||
        back.modelName() != document.modelName() || !sameKeys(back.bones, document.bones) ||
        !sameKeys(back.morphs, document.morphs) || !sameKeys(back.cameras, document.cameras) ||
        !sameKeys(back.lights, document.lights)) {
        return "records";
    }
    csv::RowReader a = readerOf(first);
    const std::string second = layOut(back);
    csv::RowReader b = readerOf(second);
    for (std::size_t r = 0; a.more() || b.more(); ++r) {
        if (!a.more() || !b.more()) {
            return "row count";
        }
        csv::CsvRowView x = a.next();
        csv::CsvRowView y = b.next();
        const bool boneRow = r >= 3 && r < 3 + document.bones.size();
        for (std::size_t field = 0; !x.empty() || !y.empty(); ++field, x.popFront(), y.popFront()) {
            if (x.empty() || y.empty() ||
                (!(boneRow && field >= 5 && field <= 7) && x.front() != y.front())) {
                return "row " + std::to_string(r) + " field " + std::to_string(field);
            }
        }
    }
    return {};
}

} // namespace qlx::test
