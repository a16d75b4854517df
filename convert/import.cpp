// CSV to binary motion file: decide how the opened file's text is written, walk its rows into
// the records of a motion file written straight into the output, check that the file did not
// change meanwhile, and only then let the output replace its target.
#include "convert/import.h"

#include "convert/row_walk.h"
#include "csv/row_reader.h"
#include "csv/text_form.h"
#include "io/input_watch.h"
#include "io/pending_output.h"
#include "platform/files.h"

namespace qlx::convert {

// Where the input's time is too recent to tell a write by, its bytes were read once before: the
// watch reads them once more, after the walk, to tell whether they changed meanwhile.
Report importOpened(const platform::InputFile& input, const io::InputWatch& watch,
                    const std::filesystem::path& path, const std::filesystem::path& output) {
    // What reads what: the form is told from the first line; the rows are read once, and a file
    // without a byte-order mark has the rest read once more from the first row that leaves
    // ASCII, to decide how it is written; one written within the clock's step is read once more
    // by the watch, at its end.
    const auto form = csv::readTextForm(input.file);
    if (!form) {
        return {Status::OpenError, CannotRead{form.error()}, {}};
    }
    csv::RowReader rows(input.file, input.size, *form);
    // An output that cannot be opened, or that is the input itself, is reported only once the
    // rows are known to make up a motion, so an incomplete file says so first.
    io::PendingOutput pending(output, path);
    Report report = walkRows(rows, pending);
    const auto& alsoUtf8 = rows.form().alsoUtf8;
    if (alsoUtf8 && report.status == Status::Ok) {
        report.notes.addFirst({Note::Kind::AlsoUtf8,
                               RowKind::Header,
                               alsoUtf8->line,
                               0,
                               alsoUtf8->text.substr(0, kKeptText),
                               {},
                               0,
                               0});
    }
    // A file written while it was read gave rows that cannot be trusted.
    const auto unchanged = watch.unchanged(input);
    if (!unchanged) {
        return {Status::OpenError, CannotRead{unchanged.error()}, {}};
    }
    if (!*unchanged) {
        return {Status::OpenError, ChangedWhileRead{}, {}};
    }
    if (report.status == Status::Ok) {
        if (const auto committed = pending.commit(); !committed) {
            report.status = Status::WriteError;
            report.failure = CannotWrite{committed.error()};
        }
    }
    return report;
}

} // namespace qlx::convert
