// Reading a CSV file's rows through a small buffer.
#include "csv/row_reader.h"

#include "csv/text_encoding.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace qlx::csv {

namespace {

constexpr std::size_t kMaxLine = std::numeric_limits<std::uint32_t>::max();
constexpr std::size_t kChunk = std::size_t{1} << 20;
constexpr std::size_t kSmallest = 256;
constexpr std::size_t kLookAhead = std::size_t{1} << 16;

std::uint64_t lineEndsIn(const char* text, std::size_t size) {
    return static_cast<std::uint64_t>(std::count(text, text + size, '\n'));
}

} // namespace

// A small input gets a buffer of its size, with room to learn that it ends.
RowReader::RowReader(Source source, std::uint64_t size, std::uint64_t start, bool fromUtf8)
    : source_(std::move(source)), capacity_(static_cast<std::size_t>(std::clamp<std::uint64_t>(
                                      size - std::min(start, size) + 1, kSmallest, kChunk))),
      buffer_(std::make_unique_for_overwrite<char[]>(capacity_)), size_(size), offset_(start),
      fromUtf8_(fromUtf8) {}

void RowReader::compact() {
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    offset_ += begin_;
    end_ -= begin_;
    begin_ = 0;
}

// A row that fills the buffer grows it at once to what the rest of the input can need (only the
// part that is read is ever touched), so that even an input of one line costs little more
// memory than its size; an input that grows meanwhile doubles it.
void RowReader::grow() {
    if (capacity_ > kMaxLine) { // no line end within reach of the limit
        failed_ = true;
        atEnd_ = true;
        return;
    }
    const std::uint64_t read = offset_ + end_;
    const std::uint64_t unread = size_ > read ? size_ - read : 0;
    const auto larger = static_cast<std::size_t>(
        std::min<std::uint64_t>(std::max<std::uint64_t>(2 * capacity_, end_ + unread + kChunk),
                                kMaxLine + std::uint64_t{2}));
    auto grown = std::make_unique_for_overwrite<char[]>(larger);
    std::memcpy(grown.get(), buffer_.get(), end_);
    buffer_ = std::move(grown);
    capacity_ = larger;
}

void RowReader::fill() {
    if (atEnd_ || end_ == capacity_) {
        return;
    }
    const auto got =
        source_(offset_ + end_, {buffer_.get() + end_, std::min(kChunk, capacity_ - end_)});
    if (!got || *got == 0) {
        failed_ = failed_ || !got;
        atEnd_ = true;
        return;
    }
    end_ += *got;
}

// The offset from `begin_` of the LF that ends the row, or of the end of the bytes when they end
// without one; nothing while more bytes are needed to tell. A line without a double quote is one
// row, whatever it holds; a line with one is walked field by field.
std::optional<std::size_t> RowReader::rowEnd(RowScan& scan) {
    using Mode = RowScan::Mode;
    const std::string_view text(buffer_.get() + begin_, end_ - begin_);
    const std::size_t n = text.size();
    const auto atTextEnd = [&]() -> std::optional<std::size_t> {
        return atEnd_ ? std::optional(n) : std::nullopt;
    };
    const auto position = [&](const void* at) {
        return static_cast<std::size_t>(static_cast<const char*>(at) - text.data());
    };
    std::size_t& at = scan.at;
    if (scan.mode == Mode::Line) {
        const void* lf = at < n ? std::memchr(text.data() + at, '\n', n - at) : nullptr;
        if (lf == nullptr && !atEnd_) {
            at = n;
            return std::nullopt;
        }
        // The row ends at the LF, or at the end of the input, unless a quoted field holds it.
        const std::size_t end = lf == nullptr ? n : position(lf);
        if (std::memchr(text.data(), '"', end) == nullptr) {
            return end;
        }
        scan = RowScan(Mode::FieldStart);
    }
    for (;;) {
        switch (scan.mode) {
        case Mode::Line:
        case Mode::FieldStart:
            if (at == n) {
                return atTextEnd();
            }
            if (text[at] == '"') {
                scan.fieldStart = at++;
                scan.mode = Mode::Quoted;
            } else {
                scan.mode = Mode::Unquoted;
            }
            break;
        case Mode::Unquoted: {
            if (scan.lineEnd == npos || scan.lineEnd < at) {
                const void* lf = at < n ? std::memchr(text.data() + at, '\n', n - at) : nullptr;
                scan.lineEnd = lf == nullptr ? npos : position(lf);
            }
            const std::size_t limit = std::min(scan.lineEnd, n);
            const void* comma =
                at < limit ? std::memchr(text.data() + at, ',', limit - at) : nullptr;
            if (comma != nullptr) {
                at = position(comma) + 1;
                scan.mode = Mode::FieldStart;
            } else if (scan.lineEnd != npos) {
                return scan.lineEnd;
            } else {
                at = n;
                return atTextEnd();
            }
            break;
        }
        case Mode::Quoted: {
            if (scan.closesAt) { // every quote before it is doubled
                at = static_cast<std::size_t>(std::max<std::uint64_t>(
                    at, std::min<std::uint64_t>(*scan.closesAt - (offset_ + begin_), n)));
            }
            const QuotedField field = closeQuoted(text, at, atEnd_);
            if (field.outcome == QuotedField::Outcome::Unknown) {
                at = field.at;
                return std::nullopt;
            }
            scan.closesAt.reset();
            if (field.outcome == QuotedField::Outcome::Plain) {
                at = scan.fieldStart;
                scan.mode = Mode::Unquoted;
                break;
            }
            at = field.at + 1; // a comma, a LF, a CR and its LF, or the end
            if (at == n) {
                return n;
            }
            if (text[at] != ',') {
                return at + (text[at] == '\r' ? 1 : 0);
            }
            ++at;
            scan.mode = Mode::FieldStart;
            break;
        }
        }
    }
}

// Reads ahead from where a quoted field that fills the buffer stands, as far as its closing
// quote or to the end of the input, through a small buffer of its own, and forgets what it read:
// a field that never closes costs a read of the rest of the input, not its memory.
void RowReader::lookAhead(RowScan& scan) {
    if (!scratch_) {
        scratch_ = std::make_unique_for_overwrite<char[]>(kLookAhead);
    }
    std::uint64_t from = offset_ + begin_ + scan.at;
    std::size_t held = 0;
    for (;;) {
        const auto got = source_(from + held, {scratch_.get() + held, kLookAhead - held});
        if (!got) {
            failed_ = true;
            atEnd_ = true;
            return;
        }
        held += *got;
        const QuotedField field = closeQuoted({scratch_.get(), held}, 0, *got == 0);
        if (field.outcome == QuotedField::Outcome::Plain) {
            scan.mode = RowScan::Mode::Unquoted;
            scan.at = scan.fieldStart;
            return;
        }
        if (field.outcome == QuotedField::Outcome::Closed) {
            scan.closesAt = from + field.at;
            return;
        }
        std::memmove(scratch_.get(), scratch_.get() + field.at, held - field.at);
        from += field.at;
        held -= field.at;
    }
}

template <typename MakeRoom>
std::size_t RowReader::findRowEnd(RowScan& scan, const MakeRoom& makeRoom) {
    for (;;) {
        if (const auto end = rowEnd(scan)) {
            return *end;
        }
        compact();
        if (end_ == capacity_) {
            if (scan.mode == RowScan::Mode::Quoted && !scan.closesAt) {
                lookAhead(scan);
                continue;
            }
            makeRoom(scan);
        }
        fill();
    }
}

std::string_view RowReader::takeRow(std::size_t end, const RowScan& scan) {
    char* const data = buffer_.get();
    const std::size_t rowEnd = begin_ + end;
    more_ = rowEnd < end_;
    std::size_t textEnd = rowEnd;
    if (textEnd > begin_ && data[textEnd - 1] == '\r') {
        --textEnd; // before a LF, or at the end of the file
    }
    rowLine_ = line_;
    line_ +=
        1 + scan.lineEnds + (scan.mode == RowScan::Mode::Line ? 0 : lineEndsIn(data + begin_, end));
    const std::string_view text(data + begin_, textEnd - begin_);
    begin_ = more_ ? rowEnd + 1 : end_;
    return text;
}

RowReader::Line RowReader::nextLine() {
    RowScan scan(RowScan::Mode::Line);
    const std::size_t end = findRowEnd(scan, [this](RowScan&) { grow(); });
    std::string_view text = takeRow(end, scan);
    failed_ = failed_ || text.size() > kMaxLine;
    if (fromUtf8_) {
        // The file was found to be UTF-8 before: a row that no longer is changed meanwhile.
        char* const start = const_cast<char*>(text.data());
        const auto size = shiftJisFromUtf8({start, text.size()});
        failed_ = failed_ || !size;
        text = {start, size.value_or(0)};
    }
    return {text, scan.mode != RowScan::Mode::Line};
}

// Hands out what is scanned of a row that fills the buffer, but a CR that may begin its line end.
void RowReader::handOut(RowScan& scan, const std::function<void(std::string_view)>& piece) {
    std::size_t size = scan.at;
    if (scan.mode != RowScan::Mode::Quoted && size > 0 && buffer_[begin_ + size - 1] == '\r') {
        --size;
    }
    scan.lineEnds += lineEndsIn(buffer_.get() + begin_, size);
    piece({buffer_.get() + begin_, size});
    begin_ += size;
    scan.at -= size;
    scan.fieldStart -= std::min(scan.fieldStart, size);
    scan.lineEnd = scan.lineEnd == npos ? npos : scan.lineEnd - size;
}

void RowReader::streamLine(const std::function<void(std::string_view)>& piece) {
    RowScan scan(RowScan::Mode::FieldStart);
    const std::size_t end = findRowEnd(scan, [&](RowScan& s) { handOut(s, piece); });
    piece(takeRow(end, scan));
}

// A line end that ends the file starts no further row.
bool RowReader::more() {
    if (more_ && begin_ == end_ && !atEnd_) {
        compact();
        fill();
    }
    more_ = more_ && begin_ < end_;
    return more_;
}

void RowReader::skipRest() {
    while (more()) {
        streamLine([](std::string_view) {});
    }
}

void RowReader::rewind(const Mark& mark) {
    offset_ = mark.offset;
    begin_ = 0;
    end_ = 0;
    atEnd_ = false;
    more_ = true;
    line_ = mark.line;
}

} // namespace qlx::csv
