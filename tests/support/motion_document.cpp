// A motion held whole, for the tests.
#include "tests/support/motion_document.h"

#include "io/pending_output.h"
#include "motion/motion_file.h"
#include "tests/support/support.h"

#include <cstring>

namespace qlx::test {

motion::MotionView viewOf(const MotionDocument& document) {
    return {document,         document.bones,  document.morphs,
            document.cameras, document.lights, document.tail};
}

MotionDocument documentOf(const motion::MotionView& view) {
    MotionDocument document;
    static_cast<motion::MotionHeader&>(document) = view;
    document.bones.assign(view.bones.begin(), view.bones.end());
    document.morphs.assign(view.morphs.begin(), view.morphs.end());
    document.cameras.assign(view.cameras.begin(), view.cameras.end());
    document.lights.assign(view.lights.begin(), view.lights.end());
    document.tail.assign(view.tail.begin(), view.tail.end());
    return document;
}

bool save(const MotionDocument& document, const std::filesystem::path& path) {
    if (document.version() == motion::MotionVersion::Unrecognised) {
        return false;
    }
    io::PendingOutput output(path, {});
    io::OutputSink& sink = output;
    motion::writeHeader(sink, document);
    const auto table = [&](const auto& records) {
        motion::writeCount(sink, records.size());
        motion::writeRecords(sink, std::span(records));
    };
    table(document.bones);
    table(document.morphs);
    table(document.cameras);
    table(document.lights);
    sink.write(std::span(document.tail));
    return output.commit().has_value();
}

MotionDocument ofVersion(const char* suffix) {
    MotionDocument document;
    std::memcpy(document.magic.data() + motion::kVersionOffset, suffix, 5);
    return document;
}

std::string savedBytes(const MotionDocument& document) {
    const ScratchDir dir;
    return save(document, dir / "m.qlx") ? readBytes(dir / "m.qlx") : "not saved";
}

} // namespace qlx::test
