// Any bytes as a CSV file: the rows are walked into a motion as the import does, without files.
// Whatever imports must also lay out as rows again, as the export does.
#include "convert/pipeline_steps.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qlx;
    io::Buffer bytes;
    bytes.append(std::string_view(reinterpret_cast<const char*>(data), size));
    csv::CsvTable table;
    if (!table.appendLines(std::move(bytes))) {
        return 0;
    }
    motion::MotionDocument document;
    const convert::Status status = convert::tableToMotion(table, document);
    if (status == convert::Status::Ok) {
        // More records than rows would mean a count was trusted beyond the table.
        const std::size_t records = document.bones.size() + document.morphs.size() +
                                    document.cameras.size() + document.lights.size();
        if (records + 6 > table.rowCount()) {
            std::abort();
        }
        csv::CsvTable again; // refused, without harm, when the version is unrecognised
        convert::motionToTable(document, again);
    } else if (status != convert::Status::Incomplete) {
        std::abort();
    }
    return 0;
}
