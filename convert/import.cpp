// CSV to binary motion file: open the file, decide how its text is written, walk its rows into
// the records of a motion file written straight into the output, check that the file did not
// change meanwhile, and only then let the output replace its target.
#include "convert/conversion.h"
#include "convert/extension.h"
#include "convert/pipeline_steps.h"
#include "convert/row_walk.h"
#include "csv/row_reader.h"
#include "csv/text_form.h"
#include "io/pending_output.h"
#include "platform/files.h"

namespace qlx::convert {

Report importOpened(platform::InputFile& input, const csv::TextForm& form,
                    const std::filesystem::path& output) {
    csv::RowReader rows(input.file, input.size, form);
    // An output that cannot even be opened is reported only once the rows are known to make up
    // a motion, so an incomplete file says so first.
    io::PendingOutput motion(output);
    Report report = walkRows(rows, motion.sink());
    if (form.alsoUtf8 && report.status == Status::Ok) {
        report.notes.addFirst({Note::Kind::AlsoUtf8,
                               RowKind::Header,
                               form.alsoUtf8->line,
                               0,
                               form.alsoUtf8->text.substr(0, kKeptText),
                               {},
                               0,
                               0});
    }
    // A file written while it was read gave rows that cannot be trusted.
    if (!input.unchanged()) {
        return {Status::OpenError, ChangedWhileRead{}, {}};
    }
    if (report.status == Status::Ok && !motion.commit()) {
        report.status = Status::WriteError;
        report.failure = CannotWrite{motion.failure()};
    }
    return report;
}

namespace {

Report importFile(const std::filesystem::path& path) {
    const auto output = outputPath(path, ".qlx");
    auto input = platform::openInput(path);
    if (!input || !output) {
        return {Status::OpenError, CannotRead{input ? platform::SystemError{} : input.error()}, {}};
    }
    // The form is told from the file's start: a second read of those bytes, the one pass the
    // rows do not make themselves.
    const auto form = csv::readTextForm(input->file);
    if (!form) {
        return {Status::OpenError, CannotRead{form.error()}, {}};
    }
    return importOpened(*input, *form, *output);
}

} // namespace

Report importFromCsv(const std::filesystem::path& path) {
    return reportingMemory([&] { return importFile(path); });
}

} // namespace qlx::convert
