// Reading a CSV file's lines through a small buffer, and writing rows as lines.
#include "csv/table_file.h"

#include <cstdint>
#include <cstring>
#include <limits>

namespace qlx::csv {

namespace {

constexpr std::size_t kMaxLine = std::numeric_limits<std::uint32_t>::max();
constexpr std::size_t kChunk = std::size_t{1} << 20;

} // namespace

RowReader::RowReader(Source source) : source_(std::move(source)), buffer_(kChunk) {}

// Keeps the unread bytes, moved to the front, and reads more after them; the buffer doubles
// when a line fills it. False at the end of the bytes or on failure.
bool RowReader::refill() {
    if (atEnd_) {
        return false;
    }
    if (end_ - begin_ > kMaxLine + 1) { // no line end within reach of the limit
        failed_ = true;
        atEnd_ = true;
        return false;
    }
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    if (end_ == buffer_.size()) {
        buffer_.resize(2 * buffer_.size());
    }
    const auto got = source_(std::span(buffer_).subspan(end_));
    if (!got || *got == 0) {
        failed_ = failed_ || !got;
        atEnd_ = true;
        return false;
    }
    end_ += *got;
    return true;
}

CsvRowView RowReader::next() {
    std::size_t scanned = 0; // bytes after begin_ known to hold no LF
    const char* lf = nullptr;
    for (;;) {
        const std::size_t unread = end_ - begin_;
        lf = unread > scanned ? static_cast<const char*>(std::memchr(
                                    buffer_.data() + begin_ + scanned, '\n', unread - scanned))
                              : nullptr;
        scanned = unread;
        if (lf != nullptr || !refill()) {
            break;
        }
    }
    const char* data = buffer_.data();
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

void writeRow(io::OutputSink& sink, const CsvRow& row) {
    sink.write(row.text());
    sink.write(std::string_view("\r\n"));
}

} // namespace qlx::csv
