// Row formatters and parsers for the header and the four keyframe kinds. Parsers read columns
// from the front; a missing or unreadable column leaves the record's value as it was.
#include "convert/motion_layout.h"

#include "convert/rotation.h"
#include "csv/field_codec.h"

namespace qlx::convert {

using namespace csv;

namespace {

using motion::Float32;
using motion::Int32;

void append(CsvRow& row, const Float32& value) {
    appendFloat(row, value.get());
}

template <std::size_t N> void append(CsvRow& row, const std::array<Float32, N>& values) {
    for (const auto& value : values) {
        appendFloat(row, value.get());
    }
}

void take(CsvRowView& row, Int32& field) {
    std::int32_t value = field.get();
    takeInt(row, value);
    field = value;
}

void take(CsvRowView& row, Float32& field) {
    float value = field.get();
    takeFloat(row, value);
    field = value;
}

template <std::size_t N> void take(CsvRowView& row, std::array<Float32, N>& fields) {
    for (auto& field : fields) {
        take(row, field);
    }
}

} // namespace

void formatHeaderRow(CsvRow& row, const motion::MotionHeader& header) {
    row.clear();
    appendName(row, header.magic);
    appendInt(row, header.headerWord);
}

void parseHeaderRow(CsvRowView& row, motion::MotionHeader& header) {
    if (!row.empty()) {
        // At most 25 bytes and always a NUL, so the text's own end decides the version.
        motion::setMagic(header, row.front());
        row.popFront();
    }
    takeInt(row, header.headerWord);
}

void formatBoneRow(CsvRow& row, const motion::BoneKey& key) {
    row.clear();
    appendName(row, key.name);
    appendInt(row, key.frame.get());
    append(row, key.position);
    const auto& r = key.rotation;
    const auto degrees = boneRotationToDegrees({r[0].get(), r[1].get(), r[2].get(), r[3].get()});
    appendFloat(row, degrees.x);
    appendFloat(row, degrees.y);
    appendFloat(row, degrees.z);
    appendHex(row, key.interpolation);
}

void parseBoneRow(CsvRowView& row, motion::BoneKey& key) {
    takeName(row, key.name);
    take(row, key.frame);
    take(row, key.position);
    // The quaternion is rebuilt from three angles in every case; a missing angle counts as 0.
    EulerAngles degrees{0.0f, 0.0f, 0.0f};
    takeFloat(row, degrees.x);
    takeFloat(row, degrees.y);
    takeFloat(row, degrees.z);
    const auto q = boneRotationFromDegrees(degrees);
    key.rotation = {q.x, q.y, q.z, q.w};
    takeHex(row, key.interpolation);
}

void formatMorphRow(CsvRow& row, const motion::MorphKey& key) {
    row.clear();
    appendName(row, key.name);
    appendInt(row, key.frame.get());
    append(row, key.weight);
}

void parseMorphRow(CsvRowView& row, motion::MorphKey& key) {
    takeTrimmedName(row, key.name);
    take(row, key.frame);
    take(row, key.weight);
}

void formatCameraRow(CsvRow& row, const motion::CameraKey& key) {
    row.clear();
    appendInt(row, key.frame.get());
    append(row, key.distance);
    append(row, key.position);
    for (const auto& angle : key.rotation) {
        appendFloat(row, radiansToDegrees(angle.get()));
    }
    appendHex(row, motion::cameraTail(key));
}

void parseCameraRow(CsvRowView& row, motion::CameraKey& key) {
    take(row, key.frame);
    take(row, key.distance);
    take(row, key.position);
    take(row, key.rotation);
    // A missing angle keeps the record's value, which is scaled all the same.
    for (auto& angle : key.rotation) {
        angle = degreesToRadians(angle.get());
    }
    takeHex(row, motion::cameraTail(key));
}

void formatLightRow(CsvRow& row, const motion::LightKey& key) {
    row.clear();
    appendInt(row, key.frame.get());
    append(row, key.colour);
    append(row, key.direction);
}

void parseLightRow(CsvRowView& row, motion::LightKey& key) {
    take(row, key.frame);
    take(row, key.colour);
    take(row, key.direction);
}

} // namespace qlx::convert
