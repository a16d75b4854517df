// Row formatters and parsers for the header and the four keyframe kinds. Parsers read columns
// from the front; a missing or unreadable column leaves the record's value as it was, and each
// field read other than as it is written is noted, with its line and column.
#include "convert/motion_layout.h"

#include "convert/rotation.h"
#include "csv/field_codec.h"
#include "text/fixed_text.h"

#include <algorithm>

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
    // A name that the file's character set may have lost, or an empty key name.
    void damage(std::string_view name, bool keyName) {
        const bool marks = !name.empty() && name.find_first_not_of('?') == name.npos;
        if (sink_.notes != nullptr && (marks || (keyName && name.empty()))) {
            add({marks ? Note::Kind::OnlyQuestionMarks : Note::Kind::EmptyName,
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

    // After the last of `columns` columns: too few of them, or more that are not blank.
    void end(std::uint32_t columns) {
        if (sink_.notes == nullptr) {
            return;
        }
        if (found_ < columns) {
            add({Note::Kind::FewerColumns, kind_, sink_.line, found_, {}, {}, columns, 0});
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
// separates fields otherwise, silently, and in a quoted field, with a note.
void take(Reading& r, float& value) {
    const bool commaIsPoint =
        r.row().separator() != ',' || (!r.row().empty() && r.row().frontQuoted());
    Taken how =
        r.take([&](std::string_view field) { return takeFloat(field, value, commaIsPoint); });
    if (how == Taken::DecimalComma && r.row().separator() != ',') {
        how = Taken::Whole;
    }
    r.number(how, value);
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

} // namespace

void formatHeaderRow(CsvRow& row, const motion::MotionHeader& header) {
    row.clear();
    appendName(row, header.magic, false); // a signature is no name a spreadsheet edits
    appendInt(row, header.headerWord);
}

void parseHeaderRow(CsvRowView& row, motion::MotionHeader& header, NoteSink notes) {
    Reading r(row, RowKind::Header, notes);
    // At most 25 bytes and always a NUL, so the text's own end decides the version.
    takeText(r, motion::kMagicSize - 1, false,
             [&](std::string_view text) { return motion::setMagic(header, text); });
    take(r, header.headerWord);
    r.end(2);
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
    r.end(1);
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

void parseBoneRow(CsvRowView& row, motion::BoneKey& key, NoteSink notes) {
    Reading r(row, RowKind::Bone, notes);
    takeKeyName(r, key.name, csv::takeName);
    take(r, key.frame);
    take(r, key.position);
    // The quaternion is rebuilt from three angles in every case; a missing angle counts as 0.
    EulerAngles degrees{0.0f, 0.0f, 0.0f};
    take(r, degrees.x);
    take(r, degrees.y);
    take(r, degrees.z);
    const auto q = boneRotationFromDegrees(degrees);
    key.rotation = {q.x, q.y, q.z, q.w};
    takeBlock(r, std::span(key.interpolation));
    r.end(9);
}

void formatMorphRow(CsvRow& row, const motion::MorphKey& key) {
    row.clear();
    appendName(row, key.name);
    appendInt(row, key.frame.get());
    append(row, key.weight);
}

void parseMorphRow(CsvRowView& row, motion::MorphKey& key, NoteSink notes) {
    Reading r(row, RowKind::Morph, notes);
    takeKeyName(r, key.name, csv::takeTrimmedName);
    take(r, key.frame);
    take(r, key.weight);
    r.end(3);
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

void parseCameraRow(CsvRowView& row, motion::CameraKey& key, NoteSink notes) {
    Reading r(row, RowKind::Camera, notes);
    take(r, key.frame);
    take(r, key.distance);
    take(r, key.position);
    take(r, key.rotation);
    // A missing angle keeps the record's value, which is scaled all the same.
    for (auto& angle : key.rotation) {
        angle = degreesToRadians(angle.get());
    }
    takeBlock(r, motion::cameraTail(key));
    r.end(9);
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
    r.end(7);
}

} // namespace qlx::convert
