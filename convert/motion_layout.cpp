// Row formatters and parsers for the header and the four keyframe kinds. Parsers read columns
// from the front; a missing or unreadable column leaves the record's value as it was, and each
// field read other than as it is written is noted, with its line and column.
#include "convert/motion_layout.h"

#include "convert/rotation.h"
#include "csv/field_codec.h"
#include "csv/number_format.h"
#include "csv/number_parse.h"
#include "text/fixed_text.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <concepts>
#include <cstring>

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

// One row being parsed: its columns taken in order, and how each was taken.
class Reading {
public:
    Reading(CsvRowView& row, RowKind kind, NoteSink sink) : row_(row), kind_(kind), sink_(sink) {}

    const CsvRowView& row() const { return row_; }

    // Takes the next column's field with `read`, which converts it, keeping the field's start for
    // a note when it was not taken whole.
    template <typename Read> Taken take(Read read) {
        ++column_;
        if (row_.empty()) {
            return Taken::Missing;
        }
        ++found_;
        const std::string_view field = row_.front();
        const Taken how = read(field);
        if (how != Taken::Whole && sink_.notes != nullptr) {
            text_.assign(field.substr(0, kKeptText));
        }
        row_.popFront();
        return how;
    }

    template <typename T> void number(Taken how, T stored) {
        note(how,
             how == Taken::NotRead        ? Note::Kind::NotANumber
             : how == Taken::DecimalComma ? Note::Kind::DecimalComma
                                          : Note::Kind::TextAfterNumber,
             stored, 0, 0);
    }
    void name(Taken how, std::size_t width, std::size_t kept) {
        note(how, how == Taken::CutAtNul ? Note::Kind::NameAtNul : Note::Kind::NameCut,
             std::monostate{}, width, kept);
    }
    // A name whose characters the file's character set may have replaced with question marks,
    // or an empty key name.
    void damage(std::string_view name, bool keyName) {
        const bool marks = name.find('?') != name.npos;
        if (sink_.notes != nullptr && (marks || (keyName && name.empty()))) {
            add({marks ? Note::Kind::QuestionMark : Note::Kind::EmptyName,
                 kind_,
                 sink_.line,
                 column_,
                 std::string(name),
                 {},
                 0,
                 0});
        }
    }
    void block(Taken how, std::size_t size) {
        note(how, how == Taken::NotRead ? Note::Kind::NotABlock : Note::Kind::BlockLength,
             std::monostate{}, size, 0);
    }
    void rotation(Taken how) { note(how, Note::Kind::NotARotation, std::monostate{}, 0, 0); }

    // After the last of `columns` columns, of which the first `needed` are the kind's own: too
    // few of those, or more columns that are not blank.
    void end(std::uint32_t needed, std::uint32_t columns) {
        if (sink_.notes == nullptr) {
            return;
        }
        if (found_ < needed) {
            add({Note::Kind::FewerColumns, kind_, sink_.line, 0, {}, {}, needed, 0, found_});
        }
        for (std::uint32_t column = columns + 1; !row_.empty(); row_.popFront(), ++column) {
            const std::string_view field = row_.front();
            if (!text::isBlank(field)) {
                add({Note::Kind::BeyondLastColumn,
                     kind_,
                     sink_.line,
                     column,
                     std::string(field.substr(0, kKeptText)),
                     {},
                     columns,
                     0});
                break;
            }
        }
    }

private:
    void note(Taken how, Note::Kind kind, std::variant<std::monostate, std::int32_t, float> stored,
              std::size_t size, std::size_t kept) {
        if (sink_.notes != nullptr && how != Taken::Whole && how != Taken::Missing) {
            add({kind, kind_, sink_.line, column_, text_, stored, size, kept});
        }
    }
    void add(Note note) { sink_.notes->add(std::move(note)); }

    CsvRowView& row_;
    RowKind kind_;
    NoteSink sink_;
    std::uint32_t column_ = 0;
    std::uint32_t found_ = 0;
    std::string text_;
};

void take(Reading& r, std::int32_t& value) {
    const Taken how = r.take([&](std::string_view field) { return takeInt(field, value); });
    r.number(how, value);
}

void take(Reading& r, Int32& field) {
    std::int32_t value = field.get();
    take(r, value);
    field = value;
}

// A decimal comma reads as a point where a comma cannot separate the number: in a file that
// separates fields otherwise, silently, and in a quoted field, with a note. A camera angle is read
// as a double, so that it is rounded once, in radians.
template <std::floating_point T> void take(Reading& r, T& value, std::string* text = nullptr) {
    const bool commaIsPoint =
        r.row().separator() != ',' || (!r.row().empty() && r.row().frontQuoted());
    Taken how = r.take([&](std::string_view field) {
        if (text != nullptr) {
            text->assign(field.substr(0, kMaxNumberText + 1));
        }
        if constexpr (std::is_same_v<T, float>) {
            return takeFloat(field, value, commaIsPoint);
        } else {
            return takeDouble(field, value, commaIsPoint);
        }
    });
    if (how == Taken::DecimalComma && r.row().separator() != ',') {
        how = Taken::Whole;
    }
    r.number(how, static_cast<float>(value));
}

void take(Reading& r, Float32& field) {
    float value = field.get();
    take(r, value);
    field = value;
}

template <std::size_t N> void take(Reading& r, std::array<Float32, N>& fields) {
    for (auto& field : fields) {
        take(r, field);
    }
}

template <std::size_t N> void takeBlock(Reading& r, std::span<std::uint8_t, N> block) {
    r.block(r.take([&](std::string_view field) { return takeHex(field, block); }), N);
}

// A text that `copy` stores, keeping at most `width` bytes and saying how many it kept: a name
// where it was written to stay text, or the signature as it stands.
template <typename Copy> void takeText(Reading& r, std::size_t width, bool isName, Copy copy) {
    std::size_t kept = 0;
    const Taken how = r.take([&](std::string_view field) {
        const std::string_view text = isName ? csv::unprotected(field) : field;
        kept = copy(text);
        return csv::nameTaken(text, kept);
    });
    r.name(how, width, kept);
}

template <typename Read> void takeKeyName(Reading& r, std::span<char> name, Read read) {
    const Taken how = r.take([&](std::string_view field) { return read(field, name); });
    r.name(how, name.size(), text::fieldText(name).size());
    if (how != Taken::Missing) {
        r.damage(text::fieldText(name), true);
    }
}

// A stored rotation, as four floats.
Quaternion quaternionOf(const std::array<Float32, 4>& r) {
    return {r[0].get(), r[1].get(), r[2].get(), r[3].get()};
}

// The bytes of a stored rotation, as the rotation column carries them.
std::span<const std::uint8_t, 16> bytesOf(const std::array<Float32, 4>& rotation) {
    return std::span<const std::uint8_t, 16>(reinterpret_cast<const std::uint8_t*>(&rotation), 16);
}

// The rotation column: "0x" and 32 hex digits, the stored rotation's 16 bytes, where the row has
// one; an empty column holds none, and any other is noted.
std::optional<std::array<Float32, 4>> takeRotation(Reading& r) {
    std::optional<std::array<Float32, 4>> stored;
    r.rotation(r.take([&](std::string_view field) {
        std::array<std::uint8_t, 16> bytes{};
        if (text::isBlank(field)) {
            return Taken::Whole;
        }
        if (takeHex(field, bytes, HexPrefix::Exactly0x) != Taken::Whole) {
            return Taken::NotRead;
        }
        stored.emplace();
        std::memcpy(stored->data(), bytes.data(), bytes.size());
        return Taken::Whole;
    }));
    return stored;
}

// A bone angle as read, and the start of its field's text.
struct Angle {
    float degrees = 0.0f; // a missing angle counts as 0
    std::string text;
};

// Whether angles, as read, are those the export writes for a rotation: each the same single
// value as the export's text of it reads as, -0 equal to 0 (a spreadsheet may save -0 as 0) and
// any NaN equal to any NaN. Most often the text is the export's own, which needs no reading.
bool writtenFor(const std::array<Angle, 3>& angles, Quaternion rotation) {
    const EulerAngles written = boneRotationToDegrees(rotation);
    const auto same = [](const Angle& read, float angle) {
        char text[kMaxNumberText];
        const std::string_view exported(text, formatGeneral(text, angle, 6));
        if (exported == read.text) {
            return true;
        }
        const auto back = parseFloat(exported);
        return back && (*back == read.degrees || (std::isnan(*back) && std::isnan(read.degrees)));
    };
    return same(angles[0], written.x) && same(angles[1], written.y) && same(angles[2], written.z);
}

// A camera angle in degrees with the fewest significant digits, 6 to 9, that read back (as the
// import reads them) as the stored radians: the six of before where they carry it.
void appendCameraAngle(CsvRow& row, float radians) {
    for (int digits = 6;; ++digits) {
        char text[kMaxNumberText];
        const char* end = digits == 6 ? formatGeneral(text, radiansToDegrees(radians), 6)
                                      : formatGeneral(text, radiansInDegrees(radians), digits);
        const std::string_view written(text, end);
        const auto back = parseDouble(written);
        if (digits == 9 || (back && std::bit_cast<std::uint32_t>(degreesToRadians(*back)) ==
                                        std::bit_cast<std::uint32_t>(radians))) {
            row.append(written);
            return;
        }
    }
}

} // namespace

void formatHeaderRow(CsvRow& row, const motion::MotionHeader& header) {
    row.clear();
    appendName(row, header.magic, TextKind::Text); // a signature is no name a spreadsheet edits
    appendInt(row, header.headerWord);
}

void parseHeaderRow(CsvRowView& row, motion::MotionHeader& header, NoteSink notes) {
    Reading r(row, RowKind::Header, notes);
    // At most 25 bytes and always a NUL, so the text's own end decides the version.
    takeText(r, motion::kMagicSize - 1, false,
             [&](std::string_view text) { return motion::setMagic(header, text); });
    take(r, header.headerWord);
    r.end(2, 2);
}

void parseModelNameRow(CsvRowView& row, motion::MotionHeader& header, NoteSink notes) {
    // A line without fields is an empty model name, as the export writes one.
    if (row.empty()) {
        header.setModelName({});
        return;
    }
    Reading r(row, RowKind::ModelName, notes);
    // A version that names no model-name field keeps none, and is reported as such.
    takeText(r, header.activeModelName().size(), true, [&](std::string_view text) {
        return header.version() == motion::MotionVersion::Unrecognised ? text.size()
                                                                       : header.setModelName(text);
    });
    r.damage(header.modelName().value_or(""), false);
    r.end(1, 1);
}

void formatBoneRow(CsvRow& row, const motion::BoneKey& key) {
    row.clear();
    appendName(row, key.name);
    appendInt(row, key.frame.get());
    append(row, key.position);
    // Six digits that a person reads; the rotation itself is in the last column.
    const auto degrees = boneRotationToDegrees(quaternionOf(key.rotation));
    appendReal(row, degrees.x, 6);
    appendReal(row, degrees.y, 6);
    appendReal(row, degrees.z, 6);
    appendHex(row, key.interpolation);
    appendHex(row, bytesOf(key.rotation));
}

// The angles are the truth: the stored rotation of the last column is taken bit for bit where
// they are still what the export wrote for it; otherwise the rotation is computed from them, in
// the stored rotation's sign where there is one, so that an edited key turns the short way.
void parseBoneRow(CsvRowView& row, motion::BoneKey& key, NoteSink notes) {
    Reading r(row, RowKind::Bone, notes);
    takeKeyName(r, key.name, csv::takeName);
    take(r, key.frame);
    take(r, key.position);
    std::array<Angle, 3> angles;
    for (Angle& angle : angles) {
        take(r, angle.degrees, &angle.text);
    }
    takeBlock(r, std::span(key.interpolation));
    const auto stored = takeRotation(r);
    r.end(9, 10);
    if (stored && writtenFor(angles, quaternionOf(*stored))) {
        key.rotation = *stored;
        return;
    }
    auto q = boneRotationFromDegrees({angles[0].degrees, angles[1].degrees, angles[2].degrees});
    if (stored) {
        const Quaternion s = quaternionOf(*stored);
        if (double{q.x} * s.x + double{q.y} * s.y + double{q.z} * s.z + double{q.w} * s.w < 0) {
            q = {-q.x, -q.y, -q.z, -q.w};
        }
    }
    key.rotation = {q.x, q.y, q.z, q.w};
}

void formatMorphRow(CsvRow& row, const motion::MorphKey& key) {
    row.clear();
    appendName(row, key.name, TextKind::TrimmedName);
    appendInt(row, key.frame.get());
    append(row, key.weight);
}

void parseMorphRow(CsvRowView& row, motion::MorphKey& key, NoteSink notes) {
    Reading r(row, RowKind::Morph, notes);
    takeKeyName(r, key.name, csv::takeTrimmedName);
    take(r, key.frame);
    take(r, key.weight);
    r.end(3, 3);
}

void formatCameraRow(CsvRow& row, const motion::CameraKey& key) {
    row.clear();
    appendInt(row, key.frame.get());
    append(row, key.distance);
    append(row, key.position);
    for (const auto& angle : key.rotation) {
        appendCameraAngle(row, angle.get());
    }
    appendHex(row, motion::cameraTail(key));
}

void parseCameraRow(CsvRowView& row, motion::CameraKey& key, NoteSink notes) {
    Reading r(row, RowKind::Camera, notes);
    take(r, key.frame);
    take(r, key.distance);
    take(r, key.position);
    // A missing angle keeps the record's value, which is scaled all the same.
    for (auto& angle : key.rotation) {
        double degrees = angle.get();
        take(r, degrees);
        angle = degreesToRadians(degrees);
    }
    takeBlock(r, motion::cameraTail(key));
    r.end(9, 9);
}

void formatLightRow(CsvRow& row, const motion::LightKey& key) {
    row.clear();
    appendInt(row, key.frame.get());
    append(row, key.colour);
    append(row, key.direction);
}

void parseLightRow(CsvRowView& row, motion::LightKey& key, NoteSink notes) {
    Reading r(row, RowKind::Light, notes);
    take(r, key.frame);
    take(r, key.colour);
    take(r, key.direction);
    r.end(7, 7);
}

} // namespace qlx::convert
