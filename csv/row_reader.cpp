// Reading a CSV file's rows through a small buffer.
#include "csv/row_reader.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>

namespace qlx::csv {

namespace {

constexpr std::size_t kMaxLine = std::numeric_limits<std::uint32_t>::max();
constexpr std::size_t kChunk = std::size_t{1} << 20;

} // namespace

RowReader::RowReader(Source source, std::uint64_t sizeHint)
    : source_(std::move(source)), buffer_(std::make_unique_for_overwrite<char[]>(kChunk)),
      capacity_(kChunk), unreadHint_(sizeHint) {}

// Keeps the unread bytes, moved to the front, and reads at most a chunk more after them. A
// line that fills the buffer grows it at once to what the rest of the file can need (only the
// part that is read is ever touched), so that even a file of one line costs little more
// memory than its size; a file that grows meanwhile doubles it. False at the end of the bytes
// or on failure.
bool RowReader::refill() {
    if (atEnd_) {
        return false;
    }
    if (end_ - begin_ > kMaxLine + 1) { // no line end within reach of the limit
        failed_ = true;
        atEnd_ = true;
        return false;
    }
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    if (end_ == capacity_) {
        const std::size_t larger =
            std::max<std::uint64_t>(2 * capacity_, end_ + unreadHint_ + kChunk);
        auto grown = std::make_unique_for_overwrite<char[]>(larger);
        std::memcpy(grown.get(), buffer_.get(), end_);
        buffer_ = std::move(grown);
        capacity_ = larger;
    }
    const auto got = source_({buffer_.get() + end_, std::min(kChunk, capacity_ - end_)});
    if (!got || *got == 0) {
        failed_ = failed_ || !got;
        atEnd_ = true;
        return false;
    }
    end_ += *got;
    unreadHint_ -= std::min<std::uint64_t>(unreadHint_, *got);
    return true;
}

// The offset from `begin_` of the LF that ends the row, or of the end of the bytes when they end
// without one; nothing while more bytes are needed to tell. A line without a double quote is one
// row, whatever it holds; a line with one is walked field by field.
std::optional<std::size_t> RowReader::rowEnd(RowScan& scan) const {
    using Mode = RowScan::Mode;
    const std::string_view text(buffer_.get() + begin_, end_ - begin_);
    const std::size_t n = text.size();
    const auto atTextEnd = [&]() -> std::optional<std::size_t> {
        return atEnd_ ? std::optional(n) : std::nullopt;
    };
    if (scan.mode == Mode::Line) {
        const void* lf =
            scan.at < n ? std::memchr(text.data() + scan.at, '\n', n - scan.at) : nullptr;
        if (lf == nullptr) {
            scan.at = n;
            return atTextEnd(); // no LF left: the rest is the last row, quotes or not
        }
        const auto line = static_cast<std::size_t>(static_cast<const char*>(lf) - text.data());
        if (std::memchr(text.data(), '"', line) == nullptr) {
            return line;
        }
        scan = {Mode::FieldStart, 0, 0};
    }
    for (;;) {
        std::size_t& at = scan.at;
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
            const std::size_t stop = text.find_first_of(",\n", at);
            if (stop == text.npos) {
                at = n;
                return atTextEnd();
            }
            if (text[stop] == '\n') {
                return stop;
            }
            at = stop + 1;
            scan.mode = Mode::FieldStart;
            break;
        }
        case Mode::Quoted: {
            // The first quote not doubled closes the field, if a comma or a line end follows it.
            const std::size_t quote = text.find('"', at);
            const std::size_t after = quote == text.npos ? n : quote + 1;
            const bool crLf = after < n && text[after] == '\r';
            if (quote == text.npos || after + (crLf ? 1 : 0) >= n) {
                at = quote == text.npos ? n : quote;
                if (!atEnd_) {
                    return std::nullopt;
                }
                if (quote != text.npos && !crLf) {
                    return n; // closed by the end of the file
                }
            } else if (text[after] == '"') {
                at = after + 1;
                break;
            } else if (text[after] == ',') {
                at = after + 1;
                scan.mode = Mode::FieldStart;
                break;
            } else if (text[after] == '\n' || (crLf && text[after + 1] == '\n')) {
                return after + (crLf ? 1 : 0);
            }
            // Not closed so: the field is plain text from its quote on.
            at = scan.fieldStart;
            scan.mode = Mode::Unquoted;
            break;
        }
        }
    }
}

std::string_view RowReader::nextLine() {
    RowScan scan;
    std::optional<std::size_t> end;
    while (!(end = rowEnd(scan))) {
        refill();
    }
    const char* data = buffer_.get();
    const std::size_t rowEnd = begin_ + *end;
    more_ = rowEnd < end_;
    std::size_t textEnd = rowEnd;
    if (more_ && textEnd > begin_ && data[textEnd - 1] == '\r') {
        --textEnd;
    }
    failed_ = failed_ || textEnd - begin_ > kMaxLine;
    const std::string_view line(data + begin_, textEnd - begin_);
    begin_ = more_ ? rowEnd + 1 : end_;
    return line;
}

void RowReader::skipRest() {
    while (more_) {
        nextLine();
    }
}

} // namespace qlx::csv
