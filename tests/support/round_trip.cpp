// Motions made of any bytes, and their round trip through CSV text.
#include "tests/support/round_trip.h"

#include "convert/export.h"
#include "convert/row_walk.h"
#include "csv/row_view.h"
#include "csv/text_form.h"
#include "motion/key_order.h"
#include "motion/motion_file.h"
#include "tests/support/motion_document.h"
#include "tests/support/support.h"
#include "text/fixed_text.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace qlx::test {

namespace {

// Fills `target` with the next bytes, zeros once they run out.
void take(std::span<const std::uint8_t>& bytes, void* target, std::size_t size) {
    const std::size_t n = std::min(size, bytes.size());
    std::fill_n(static_cast<std::uint8_t*>(target), size, 0);
    std::copy_n(bytes.begin(), n, static_cast<std::uint8_t*>(target));
    bytes = bytes.subspan(n);
}

// A name that is empty or holds a question mark is said of when it is read: such a name gets
// other bytes.
void readable(std::span<char> name) {
    if (name[0] == '\0') {
        name[0] = 'k';
    }
    const std::size_t size = text::fieldText(name).size();
    std::replace(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(size), '?', 'k');
}

template <typename Record>
void fill(std::span<const std::uint8_t>& bytes, platform::LargeVector<Record>& table,
          std::size_t maxKeys) {
    std::uint32_t count = 0;
    take(bytes, &count, 4);
    table.resize(count % (maxKeys + 1));
    for (auto& record : table) {
        take(bytes, &record, sizeof record);
        if constexpr (std::is_same_v<Record, motion::BoneKey> ||
                      std::is_same_v<Record, motion::MorphKey>) {
            readable(record.name);
        }
    }
}

// A record as the round trip must give it back: a name's bytes after its end, and a NaN's
// payload in a value that text carries, are not carried.
template <typename Record> Record carried(Record record) {
    const auto name = [](auto& field) {
        const std::size_t size = text::fieldText(field).size();
        std::fill(field.begin() + static_cast<std::ptrdiff_t>(size), field.end(), '\0');
    };
    const auto value = [](motion::Float32& v) {
        if (std::isnan(v.get())) {
            v = std::signbit(v.get()) ? -std::numeric_limits<float>::quiet_NaN()
                                      : std::numeric_limits<float>::quiet_NaN();
        }
    };
    const auto values = [&](auto& array) { std::ranges::for_each(array, value); };
    if constexpr (std::is_same_v<Record, motion::BoneKey>) {
        name(record.name);
        values(record.position); // the rotation is carried bit for bit
    } else if constexpr (std::is_same_v<Record, motion::MorphKey>) {
        name(record.name);
        value(record.weight);
    } else if constexpr (std::is_same_v<Record, motion::CameraKey>) {
        value(record.distance);
        values(record.position);
        values(record.rotation);
    } else {
        values(record.colour);
        values(record.direction);
    }
    return record;
}

// Where the records that came back, in key order, differ from the original's, or empty.
template <typename Record>
std::string recordFault(const char* table, std::span<const Record> original,
                        std::span<const Record> back, std::span<const std::uint32_t> order) {
    if (back.size() != original.size()) {
        return std::string(table) + " count";
    }
    for (std::size_t k = 0; k < back.size(); ++k) {
        const Record expected = carried(original[order[k]]);
        const Record got = carried(back[k]);
        if (std::memcmp(&expected, &got, sizeof(Record)) != 0) {
            return std::string(table) + " " + std::to_string(k);
        }
    }
    return {};
}

std::string layOut(const motion::MotionView& motion) {
    std::string text;
    const std::size_t keys =
        motion.bones.size() + motion.morphs.size() + motion.cameras.size() + motion.lights.size();
    text.reserve(256 * (keys + 1) + 2 * motion.tail.size());
    StringSink sink(text);
    convert::motionToCsv(motion, sink);
    return text;
}

// The motion file that the rows of CSV text make up, walked as the import walks them in the form
// (encoding, separator) the text shows, whether the walk read every field as it is written, and
// whether the text was read as Shift-JIS.
std::optional<std::string> walkedBytes(std::string_view csv, bool* asWritten = nullptr,
                                       bool* shiftJis = nullptr) {
    std::string bytes;
    bytes.reserve(csv.size()); // a motion file is shorter than its text
    test::StringSink sink(bytes);
    const platform::File file = fileOf(csv);
    const auto form = csv::readTextForm(file);
    if (!form) {
        return std::nullopt;
    }
    TextRows rows(csv, *form);
    const convert::Report report = convert::walkRows(*rows, sink);
    if (asWritten != nullptr) {
        *asWritten = report.notes.kept().empty();
    }
    if (shiftJis != nullptr) {
        *shiftJis = rows->form().encoding == csv::TextEncoding::ShiftJis;
    }
    const bool ok = report.status == convert::Status::Ok && sink.finish();
    return ok ? std::optional(std::move(bytes)) : std::nullopt;
}

} // namespace

test::MotionDocument motionFromBytes(std::span<const std::uint8_t> bytes, std::size_t maxKeys) {
    test::MotionDocument document;
    std::array<char, 24> header; // a version bit, the header word, a model name
    take(bytes, header.data(), header.size());
    if (header[0] % 2 != 0) {
        std::memcpy(document.magic.data() + motion::kVersionOffset, "file", 5);
    }
    std::memcpy(&document.headerWord, header.data(), 4);
    document.setModelName({header.data() + 4, 20});
    if (const auto name = document.activeModelName(); !text::fieldText(name).empty()) {
        readable(name);
    }
    fill(bytes, document.bones, maxKeys);
    fill(bytes, document.morphs, maxKeys);
    fill(bytes, document.cameras, maxKeys);
    fill(bytes, document.lights, maxKeys);
    std::uint8_t tail = 0;
    take(bytes, &tail, 1);
    document.tail.resize(tail);
    take(bytes, document.tail.data(), tail);
    return document;
}

std::string csvOf(const test::MotionDocument& document) {
    return layOut(test::viewOf(document));
}

std::optional<test::MotionDocument> walked(std::string_view csv) {
    const auto bytes = walkedBytes(csv);
    if (!bytes) {
        return std::nullopt;
    }
    const auto view = motion::parseMotion(std::as_bytes(std::span(*bytes)));
    return view ? std::optional(test::documentOf(*view)) : std::nullopt;
}

std::string roundTripFault(const test::MotionDocument& document) {
    const std::string first = layOut(test::viewOf(document));
    bool asWritten = false;
    bool shiftJis = true;
    const auto bytes = walkedBytes(first, &asWritten, &shiftJis);
    if (!bytes) {
        return "not walked back";
    }
    const auto back = motion::parseMotion(std::as_bytes(std::span(*bytes)));
    if (!back) {
        return "not loaded back";
    }
    if (!shiftJis) {
        return {}; // names whose bytes read as UTF-8 are stored in Shift-JIS: nothing to compare
    }
    if (!asWritten) {
        return "a field of the export's own text read otherwise";
    }
    if (text::fieldText(back->magic) != text::fieldText(document.magic) ||
        back->headerWord != document.headerWord || back->modelName() != document.modelName()) {
        return "header";
    }
    const motion::KeyOrder order = motion::keyOrder(test::viewOf(document));
    for (const std::string& fault :
         {recordFault<motion::BoneKey>("bones", document.bones, back->bones, order.bones),
          recordFault<motion::MorphKey>("morphs", document.morphs, back->morphs, order.morphs),
          recordFault<motion::CameraKey>("cameras", document.cameras, back->cameras, order.cameras),
          recordFault<motion::LightKey>("lights", document.lights, back->lights, order.lights)}) {
        if (!fault.empty()) {
            return fault;
        }
    }
    if (!std::ranges::equal(back->tail, document.tail)) {
        return "tail";
    }
    // A CSV file this version wrote, untouched, is a fixed point.
    return layOut(*back) == first ? std::string() : "the second text";
}

} // namespace qlx::test
