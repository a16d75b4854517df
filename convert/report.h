// What a conversion found beside its status, as facts: why it failed, and which fields of a CSV
// file it read other than as they are written. The words for them are the driver's.
#pragma once

#include "convert/status.h"
#include "io/pending_output.h"
#include "motion/motion_file.h"
#include "platform/system_error.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace qlx::convert {

using motion::Table;

// A note or a fact keeps the start of a long field, enough to find it by.
inline constexpr std::size_t kKeptText = 40;

// The kinds of row of a CSV motion file.
enum class RowKind : std::uint8_t { Header, ModelName, Bone, Morph, Camera, Light };

// A count row: whose count it is, on which line, and what it says.
struct CountRow {
    Table table;
    std::uint64_t line;
    std::uint32_t count;
};

// RowsNotAMotion. The file ends where a row must come: the header, the model name or a count.
struct EndsEarly {
    enum class Row : std::uint8_t { Header, ModelName, Count };
    Row row;
    Table table;        // whose count
    std::uint64_t line; // the last line the file has
};
// A count row holds something else: `values` fields that are not blank, the first of them
// `text`; the count before it, if any, may be the one to change.
struct NotACount {
    // No whole number alone; or one below zero, or above 4,294,967,295.
    enum class Why : std::uint8_t { NotWhole, Negative, TooLarge };
    Table table;
    std::uint64_t line;
    std::size_t values;
    std::string text;
    std::optional<CountRow> before;
    Why why = Why::NotWhole;
};
// A count asks for more rows than follow it.
struct TooFewRows {
    CountRow count;
    std::uint64_t rows;
};
// A row after the last light key (and the bytes after them) that is not blank.
struct RowAfterLights {
    std::uint64_t line;
    std::size_t values;
    CountRow lights;
};
// A file read as UTF-8 or UTF-16 holds bytes that are no such text (character 0) or a character
// that code page 932 has no code for.
struct NotShiftJisText {
    std::uint64_t line;
    char32_t character;
    bool utf16;
};

// OpenError.
struct CannotRead {
    platform::SystemError error;
};
struct NotAMotion {
    motion::MotionFault fault;
};
struct ChangedWhileRead {};

// WriteError.
struct CannotWrite {
    io::OutputFailure failure;
};
struct UnwritableVersion {
    std::string signature;
};

// OutOfMemory: how much was asked for, when it is known (0 otherwise).
struct MemoryExhausted {
    std::size_t bytes;
};

using Failure = std::variant<std::monostate, EndsEarly, NotACount, TooFewRows, RowAfterLights,
                             NotShiftJisText, CannotRead, NotAMotion, ChangedWhileRead, CannotWrite,
                             UnwritableVersion, MemoryExhausted>;

// A field read other than as it is written.
struct Note {
    enum class Kind : std::uint8_t {
        NotANumber,       // `stored` kept
        TextAfterNumber,  // read as `stored`
        NameCut,          // longer than `size` bytes: `kept` of them kept
        NotABlock,        // no "x", or a character that is no hex digit
        BlockLength,      // not `size` bytes
        FewerColumns,     // `values` where the row's kind has `size`
        BeyondLastColumn, // `column` is not blank, past the row's `size` columns
        NameAtNul,        // holds a NUL byte: the `kept` bytes before it kept
        DecimalComma,     // read as `stored`, its one comma as a decimal point
        QuestionMark,     // a name holding one: a character set may have replaced characters
        EmptyName,        // a bone or morph name that is empty
        AlsoUtf8,         // read as Shift-JIS, though it would read as UTF-8 too
        NotARotation,     // a bone's rotation column that is no 0x and 32 hex digits
    };
    Kind kind;
    RowKind row;
    std::uint64_t line;
    std::uint32_t column; // from 1; 0 for a note of the whole row
    std::string text;     // the field as written, its start when it is long
    std::variant<std::monostate, std::int32_t, float> stored;
    std::size_t size = 0;
    std::size_t kept = 0;
    std::uint32_t values = 0; // FewerColumns: how many the row has
};

// The notes of many rows: the first few kept, in file order, the rest counted.
class Notes {
public:
    static constexpr std::size_t kKept = 10;
    void add(Note note) {
        if (kept_.size() < kKept) {
            kept_.push_back(std::move(note));
        } else {
            ++more_;
        }
    }
    // A note of the whole file, before those of its rows.
    void addFirst(Note note) {
        kept_.insert(kept_.begin(), std::move(note));
        if (kept_.size() > kKept) {
            kept_.pop_back();
            ++more_;
        }
    }
    // The notes of rows that follow these.
    void append(Notes&& later) {
        for (Note& note : later.kept_) {
            add(std::move(note));
        }
        more_ += later.more_;
    }
    const std::vector<Note>& kept() const { return kept_; }
    std::uint64_t more() const { return more_; }

private:
    std::vector<Note> kept_;
    std::uint64_t more_ = 0;
};

struct Report {
    Status status = Status::Ok;
    Failure failure;
    Notes notes;
};

// A conversion whose memory ran out: every file as it was, and how much was asked for.
inline Report outOfMemory(std::size_t bytes) {
    return {Status::OutOfMemory, MemoryExhausted{bytes}, {}};
}

} // namespace qlx::convert
