// The worked example and the conversion beside an existing output.
#include "tests/support/worked_example.h"

#include "convert/conversion.h"
#include "convert/rotation.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

namespace qlx::test {

const std::string kWorkedExampleCsv =
    "Quorlane Motion Data 0002,0\r\n"
    "\x90\x58\x96\xEC\x83\x86\x83\x89\r\n"
    "1\r\n"
    "wrist_R,30,0,1.5,-2.25,30,0,0,0x14141414141414146B6B6B6B6B6B6B6B141414141414146B6B6B6B6B6B6B"
    "6B011414141414146B6B6B6B6B6B6B6B010014141414146B6B6B6B6B6B6B6B010000,"
    "0xEE83843E0000000000000000EA46773F\r\n"
    "1\r\n"
    "blink,12,0.75\r\n"
    "1\r\n"
    "0,-45,0,10,0,10,180,0,0x146B146B146B146B146B146B146B146B146B146B146B146B2300000000\r\n"
    "1\r\n"
    "0,0.6,0.6,0.6,-0.5,-1,0.5\r\n";

MotionDocument workedExample() {
    using convert::degreesToRadians;
    MotionDocument document;
    document.bones.resize(1);
    setName(document.bones[0].name, "wrist_R");
    document.bones[0].frame = 30;
    document.bones[0].position = {0.0f, 1.5f, -2.25f};
    document.bones[0].rotation = {0.25881904f, 0.0f, 0.0f, 0.96592583f};
    document.morphs.resize(1);
    setName(document.morphs[0].name, "blink");
    document.morphs[0].frame = 12;
    document.morphs[0].weight = 0.75f;
    document.cameras.resize(1);
    document.cameras[0].distance = -45.0f;
    document.cameras[0].position = {0.0f, 10.0f, 0.0f};
    document.cameras[0].rotation = {degreesToRadians(10), degreesToRadians(180), 0.0f};
    document.lights.resize(1);
    document.lights[0].colour = {0.6f, 0.6f, 0.6f};
    document.lights[0].direction = {-0.5f, -1.0f, 0.5f};
    return document;
}

convert::Status convertBeside(const std::string& name, const std::string& input) {
    using convert::Status;
    ScratchDir dir;
    writeBytes(dir / name, input);
    const bool exporting = name.ends_with(".qlx");
    const auto output = dir / (name.substr(0, name.size() - 4) + (exporting ? ".csv" : ".qlx"));
    writeBytes(output, "previous output");
    const Status status = exporting ? convert::exportToCsv(dir / name).status
                                    : convert::importFromCsv(dir / name).status;
    EXPECT_EQ(dir.entries(), 2u) << "no stray file";
    if (status != Status::Ok) {
        EXPECT_EQ(readBytes(output), "previous output");
    }
    return status;
}

} // namespace qlx::test
