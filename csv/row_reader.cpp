// Reading a CSV file's rows through a buffer: rows found with the tokenizer's rule, held whole or
// handed out in pieces, a long quoted field's end learnt by reading ahead.
#include "csv/row_reader.h"

#include "csv/text_form.h"
#include "csv/tokenizer.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

namespace qlx::csv {

namespace {

using Kind = FieldEnd::Kind;
using platform::unexpected;

constexpr std::size_t kChunk = std::size_t{1} << 20;
constexpr std::size_t kSmallest = 256;
constexpr std::size_t kLookAhead = std::size_t{1} << 16;

std::uint64_t lineEndsIn(std::string_view text) {
    return static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

// A small input gets a buffer of its size, with room to learn that it ends.
RowReader::RowReader(const platform::File& file, std::uint64_t size, const TextForm& form)
    : file_(file), text_(file, form), form_(form),
      capacity_(static_cast<std::size_t>(
          std::clamp<std::uint64_t>(size - std::min(form.start, size) + 1, kSmallest, kChunk))),
      buffer_(std::make_unique_for_overwrite<char[]>(capacity_)) {}

void RowReader::compact() {
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
}

void RowReader::fill() {
    const auto got = text_.read({buffer_.get() + end_, std::min(kChunk, capacity_ - end_)});
    if (!got) {
        fault_ = ReadFault{ReadFault::Kind::System, got.error()};
    }
    atEnd_ = !got || *got == 0;
    end_ += got.value_or(0);
}

// The end of the field that the scan stands in, or More when the bytes held do not tell.
FieldEnd RowReader::step(std::string_view text) {
    using In = Scan::In;
    Scan& s = scan_;
    if (s.in == In::Start) {
        if (s.field == text.size() && !atEnd_) {
            return {Kind::More, s.field};
        }
        const bool quoted =
            s.field < text.size() && text[s.field] == '"' && s.quote != Scan::Quote::Plain;
        s.in = quoted ? In::Quoted : In::Plain;
        s.from = s.field + (quoted ? 1 : 0);
        s.text = s.from;
    }
    if (s.in == In::Quoted) {
        const FieldEnd end = quotedEnd(text, s.from, form_.separator, atEnd_);
        if (end.kind != Kind::Plain) {
            s.from = end.at; // where a More says to go on
            return end;
        }
        s.in = In::Plain;
        s.from = s.text = s.field;
    }
    const FieldEnd end = plainEnd(text, s.from, form_.separator, atEnd_);
    s.from = end.at;
    return end;
}

// The end of the row that begins at `begin_`: a LineEnd or the Text's end, or More while more
// bytes are needed. A row without a double quote ends at its first LF, whatever it holds.
FieldEnd RowReader::rowEnd() {
    const std::string_view text = held();
    Scan& s = scan_;
    if (!s.quoteSeen) {
        const std::size_t lf = find(text, '\n', s.searched, text.size());
        if (find(text, '"', s.searched, lf) == lf) {
            const std::size_t crs = crsBefore(text, 0, lf);
            const bool whole = lf < text.size() || atEnd_;
            s.searched = lf;
            return {!whole ? Kind::More : crs < text.size() ? Kind::LineEnd : Kind::Text, crs};
        }
        s.quoteSeen = true;
    }
    for (;;) {
        const FieldEnd end = step(text);
        if (end.kind != Kind::Separator) {
            return end;
        }
        s.in = Scan::In::Start;
        s.field = end.at + 1;
        s.quote = Scan::Quote::Unknown;
    }
}

// Room for the scan to go on once it needs more bytes: the bytes already read moved to the
// front, more read, a long quoted field's end learnt by reading ahead, or, for a row held whole, a
// larger buffer, which stays for the rows after it; false when none of these will do.
bool RowReader::makeRoom(const FieldEnd& end, bool grow) {
    compact();
    if (end_ < capacity_ && !atEnd_) {
        fill();
    } else if (end.open && scan_.quote == Scan::Quote::Unknown) {
        lookAhead();
    } else if (grow) {
        auto grown = std::make_unique_for_overwrite<char[]>(2 * capacity_);
        std::memcpy(grown.get(), buffer_.get(), end_);
        buffer_ = std::move(grown);
        capacity_ *= 2;
    } else {
        return false;
    }
    return true;
}

// Reads ahead from where a quoted field that fills the buffer stands, as far as its closing
// quote or to the end of the input, through a small buffer of its own, and forgets what it read:
// a field that never closes costs a read of the rest of the input, not its memory.
void RowReader::lookAhead() {
    std::string ahead(held().substr(scan_.from));
    TextReader text = text_;
    for (bool whole = atEnd_;;) {
        const FieldEnd end = quotedEnd(ahead, 0, form_.separator, whole);
        if (end.kind != Kind::More) {
            scan_.quote = end.quoted ? Scan::Quote::Closes : Scan::Quote::Plain;
            scan_.in = end.quoted ? scan_.in : Scan::In::Start; // read again from its quote
            return;
        }
        ahead.erase(0, end.at);
        const std::size_t kept = ahead.size();
        ahead.resize(kept + kLookAhead);
        const auto got = text.read({ahead.data() + kept, kLookAhead});
        if (!got) {
            fault_ = ReadFault{ReadFault::Kind::System, got.error()};
        }
        whole = !got || *got == 0;
        ahead.resize(kept + got.value_or(0));
    }
}

// Takes the row up to its end, and its line end: the next row begins after that.
void RowReader::endRow(const FieldEnd& end, std::uint64_t lineEnds) {
    const std::string_view text = held();
    std::size_t next = std::min(text.find_first_not_of('\r', end.at), text.size());
    next += next < text.size() && text[next] == '\n' ? 1u : 0u;
    begin_ += next;
    line_ += 1 + lineEnds;
    scan_ = Scan{};
}

bool RowReader::more() {
    if (begin_ == end_ && !atEnd_) {
        compact();
        fill();
    }
    return begin_ < end_ || fault_;
}

platform::Expected<Row, ReadFault> RowReader::next() {
    FieldEnd end;
    while ((end = rowEnd()).kind == Kind::More) {
        makeRoom(end, true);
    }
    if (fault_) {
        return unexpected(*fault_);
    }
    char* const start = buffer_.get() + begin_;
    Row row{{start, end.at}, scan_.quoteSeen, line_};
    // The first row that leaves ASCII decides how the file is written, from where it begins.
    if (!form_.decided && std::ranges::any_of(row.text, [](char c) { return c & 0x80; })) {
        const auto decided = decideEncoding(file_, text_.offset() - (end_ - begin_), line_, form_);
        if (!decided) {
            fault_ = ReadFault{ReadFault::Kind::System, decided.error()};
            return unexpected(*fault_);
        }
    }
    endRow(end, row.holdsQuote ? lineEndsIn(row.text) : 0);
    // A file found to be UTF-8 turns into code page 932 a row at a time: never longer, in place.
    if (form_.encoding != TextEncoding::ShiftJis) {
        const auto converted = shiftJisFromUtf8({start, end.at});
        if (!converted) {
            fault_ = converted.error();
            fault_->line = row.line;
            fault_->encoding = form_.encoding;
            return unexpected(*fault_);
        }
        row.text = {start, *converted};
    }
    return row;
}

platform::Expected<Piece, ReadFault> RowReader::piece() {
    for (;;) {
        const std::string_view text = held();
        const FieldEnd end = step(text);
        if (end.kind == Kind::More && makeRoom(end, false)) {
            continue;
        }
        // A field that ends, or, when the buffer is full of one field, what is surely its text.
        const bool ends = end.kind != Kind::More;
        const std::size_t textEnd = end.quoted ? end.closing : end.at;
        const Piece piece{text.substr(scan_.text, textEnd - scan_.text), ends,
                          ends && end.kind != Kind::Separator};
        pieceLineEnds_ += lineEndsIn(piece.text);
        if (!ends) {
            begin_ += end.at;
            scan_.from -= end.at;
            scan_.text = 0;
        } else if (end.kind == Kind::Separator) {
            begin_ += end.at + 1;
            scan_ = Scan{};
        } else {
            endRow(end, std::exchange(pieceLineEnds_, 0));
        }
        if (fault_) {
            return unexpected(*fault_);
        }
        return piece;
    }
}

} // namespace qlx::csv
