// Motions made of any bytes, and their round trip through CSV text.
#include "tests/support/round_trip.h"

#include "convert/export.h"
#include "convert/row_walk.h"
#include "csv/row_view.h"
#include "motion/key_order.h"
#include "motion/motion_file.h"
#include "tests/support/motion_document.h"
#include "tests/support/support.h"
#include "text/fixed_text.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qlx::test {

namespace {

// Fills `target` with the next bytes, zeros once they run out.
void take(std::span<const std::uint8_t>& bytes, void* target, std::size_t size) {
    const std::size_t n = std::min(size, bytes.size());
    std::fill_n(static_cast<std::uint8_t*>(target), size, 0);
    std::copy_n(bytes.begin(), n, static_cast<std::uint8_t*>(target));
    bytes = bytes.subspan(n);
}

// A name that is empty or question marks alone is said of when it is read: such a name gets
// another first byte.
void readable(std::span<char> name) {
    const std::string_view text = text::fieldText(name);
    if (text.find_first_not_of('?') == text.npos) {
        name[0] = 'k';
    }
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
        if constexpr (std::is_same_v<Record, motion::MorphKey>) {
            // A morph name loses white space at its ends.
            const std::size_t size = text::fieldText(record.name).size();
            for (const std::size_t end : {std::size_t{0}, size - 1}) {
                if (size > 0 && text::isSpace(record.name[end])) {
                    record.name[end] = 'x';
                }
            }
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
// cannot be told apart in single precision) a rotation comes back up to sign.
bool sameRotation(const motion::BoneKey& a, const motion::BoneKey& b) {
    const auto [x, y, z, w] = b.rotation;
    float dot = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        dot += a.rotation[k].get() * b.rotation[k].get();
    }
    return std::fabs(2 * (y.get() * z.get() - x.get() * w.get())) > 0.99f ||
           std::fabs(dot) > 0.999998f;
}

std::string layOut(const motion::MotionView& motion) {
    std::string text;
    const std::size_t keys =
        motion.bones.size() + motion.morphs.size() + motion.cameras.size() + motion.lights.size();
    text.reserve(256 * (keys + 1) + 2 * motion.tail.size());
    convert::motionToCsv(motion, [&](std::string_view more) { text += more; });
    return text;
}

// The motion file that the rows of CSV text make up, walked as the import walks them, and
// whether the walk read every field as it is written.
std::optional<std::string> walkedBytes(std::string_view csv, bool* asWritten = nullptr) {
    std::string bytes;
    bytes.reserve(csv.size()); // a motion file is shorter than its text
    io::OutputSink sink = sinkInto(bytes);
    TextRows rows(csv);
    const convert::Report report = convert::walkRows(*rows, sink);
    if (asWritten != nullptr) {
        *asWritten = report.notes.kept().empty();
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
    const auto bytes = walkedBytes(first, &asWritten);
    if (!bytes) {
        return "not walked back";
    }
    const auto back = motion::parseMotion(std::as_bytes(std::span(*bytes)));
    if (!back) {
        return "not loaded back";
    }
    if (!asWritten) {
        return "a field of the export's own text read otherwise";
    }
    // The keys come back in key order.
    const motion::KeyOrder order = motion::keyOrder(test::viewOf(document));
    for (std::size_t k = 0; k < back->bones.size(); ++k) {
        if (!sameRotation(back->bones[k], document.bones[order.bones[k]])) {
            return "rotations";
        }
    }
    // Every field the text carries, but the bone angles, which the quaternion moves; most
    // often the whole text is the same.
    const std::string second = layOut(*back);
    if (second == first) {
        return {};
    }
    TextRows a(first);
    TextRows b(second);
    for (std::size_t r = 0; a->more() || b->more(); ++r) {
        if (!a->more() || !b->more()) {
            return "row count";
        }
        const auto rowA = a->next();
        const auto rowB = b->next();
        if (!rowA || !rowB) {
            return "row unread";
        }
        csv::CsvRowView x(rowA->text, rowA->holdsQuote, ',');
        csv::CsvRowView y(rowB->text, rowB->holdsQuote, ',');
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
