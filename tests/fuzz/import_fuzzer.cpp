// Any bytes as a CSV file: the rows are walked into a motion as the import does, without files.
// Whatever imports must also lay out as rows again, as the export does.
#include "convert/conversion.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qlx;
    csv::CsvTable table;
    if (!table.appendLines(std::string_view(reinterpret_cast<const char*>(data), size))) {
        return 0;
    }
    motion::MotionDocument document;
    const int status = convert::tableToMotion(table, document);
    if (status != convert::kStatusOk && status != convert::kStatusIncomplete) {
        std::abort();
    }
    if (status == convert::kStatusOk) {
        // More records than rows would mean a count was trusted beyond the table.
        const std::size_t records = document.bones.size() + document.morphs.size() +
                                    document.cameras.size() + document.lights.size();
        if (records + 6 > csv::rowCount(table)) {
            std::abort();
        }
        csv::CsvTable again;
        convert::motionToTable(document, again);
    }
    return 0;
}
