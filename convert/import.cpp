// CSV to binary motion file: find the file's encoding, walk its rows into the parts of a motion
// file written straight into the output, which replaces the target only once the walk has
// succeeded and the file is known not to have changed meanwhile.
#include "convert/conversion.h"
#include "convert/extension.h"
#include "convert/pipeline_steps.h"
#include "csv/text_encoding.h"
#include "io/pending_output.h"
#include "platform/files.h"

#include <algorithm>
#include <vector>

namespace qlx::convert {

namespace {

constexpr std::size_t kReadSize = std::size_t{1} << 20;

// The line of the byte at `offset`, counting the line ends before it: a fault found before the
// walk, said where an editor shows it.
std::uint64_t lineAt(platform::File& file, std::uint64_t offset) {
    std::vector<char> buffer(kReadSize);
    std::uint64_t line = 1;
    for (std::uint64_t at = 0; at < offset;) {
        const auto got = file.readAt(
            at, std::span(buffer).first(std::min<std::uint64_t>(kReadSize, offset - at)));
        if (!got || *got == 0) {
            break;
        }
        line += static_cast<std::uint64_t>(
            std::count(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(*got), '\n'));
        at += *got;
    }
    return line;
}

Report importFile(const std::filesystem::path& path) {
    const auto output = outputPath(path, ".qlx");
    platform::SystemError error;
    auto input = platform::openInput(path, &error);
    if (!output || !input) {
        return {Status::OpenError, CannotRead{error}, {}};
    }
    const auto encoding = detectEncoding(input->file);
    if (!encoding) {
        return {Status::OpenError, CannotRead{platform::lastError()}, {}};
    }
    return importOpened(*input, *encoding, *output);
}

} // namespace

std::optional<csv::EncodingDetector> detectEncoding(platform::File& file) {
    csv::EncodingDetector detector;
    std::vector<char> buffer(kReadSize);
    std::uint64_t at = 0;
    for (bool decided = false; !decided;) {
        const auto got = file.readAt(at, buffer);
        if (!got) {
            return std::nullopt;
        }
        at += *got;
        decided = *got == 0 || detector.add(std::span(buffer).first(*got));
    }
    return detector;
}

Report importOpened(platform::InputFile& input, const csv::EncodingDetector& encoding,
                    const std::filesystem::path& output) {
    const csv::TextEncoding text = encoding.encoding();
    // Marked UTF-8 that is no UTF-8, or holds a character the motion file cannot, anywhere in
    // the file, makes no motion.
    if (text == csv::TextEncoding::Utf8WithMark && encoding.fault()) {
        const csv::Utf8Fault fault = *encoding.fault();
        return {Status::Incomplete,
                NotShiftJisText{lineAt(input.file, fault.offset), fault.character},
                {}};
    }
    const std::uint64_t mark = text == csv::TextEncoding::Utf8WithMark ? 3 : 0;
    csv::RowReader rows(
        [&input](std::uint64_t offset, std::span<char> bytes) {
            return input.file.readAt(offset, bytes);
        },
        input.size, mark, text != csv::TextEncoding::ShiftJis);
    // An output that cannot even be opened is reported only once the rows are known to make up
    // a motion, so an incomplete file says so first.
    io::PendingOutput motion(output);
    Report report = tableToMotion(rows, motion.isOpen() ? &motion.sink() : nullptr);
    // A file written while it was read gave rows that cannot be trusted.
    if (!input.unchanged()) {
        return {Status::OpenError, ChangedWhileRead{}, {}};
    }
    if (report.status == Status::Ok && !(motion.isOpen() && motion.commit())) {
        report.status = Status::WriteError;
        report.failure = CannotWrite{motion.failure()};
    }
    return report;
}

Report importFromCsv(const std::filesystem::path& path) {
    return reportingMemory([&] { return importFile(path); });
}

} // namespace qlx::convert
