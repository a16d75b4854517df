// Reading a CSV file's lines through a small buffer, and writing rows as lines.
#include "csv/table_file.h"

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

CsvRowView RowReader::next() {
    std::size_t scanned = 0; // bytes after begin_ known to hold no LF
    const char* lf = nullptr;
    for (;;) {
        const std::size_t unread = end_ - begin_;
        lf = unread > scanned ? static_cast<const char*>(std::memchr(
                                    buffer_.get() + begin_ + scanned, '\n', unread - scanned))
                              : nullptr;
        scanned = unread;
        if (lf != nullptr || !refill()) {
            break;
        }
    }
    const char* data = buffer_.get();
    const std::size_t lineEnd = lf != nullptr ? static_cast<std::size_t>(lf - data) : end_;
    std::size_t textEnd = lineEnd;
    if (lf != nullptr && textEnd > begin_ && data[textEnd - 1] == '\r') {
        --textEnd;
    }
    failed_ = failed_ || textEnd - begin_ > kMaxLine;
    const std::string_view line(data + begin_, textEnd - begin_);
    more_ = lf != nullptr;
    begin_ = lf != nullptr ? lineEnd + 1 : end_;
    return CsvRowView(line);
}

void RowReader::skipRest() {
    while (more_) {
        next();
    }
}

void writeRow(std::string& text, const CsvRow& row) {
    text += row.text();
    text += "\r\n";
}

} // namespace qlx::csv
