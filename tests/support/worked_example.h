// The worked example, as a motion and as the CSV text its export writes, and a conversion run
// beside an existing output that checks what a failure left.
#pragma once

#include "convert/status.h"
#include "tests/support/motion_document.h"

#include <string>

namespace qlx::test {

// One key of each kind, in a motion named as the motion file's default model name.
extern const std::string kWorkedExampleCsv;
MotionDocument workedExample();

// Converts `input`, written as `name` in a fresh folder beside an existing output, and checks that
// the folder holds no stray file and that a failure left that output as it was.
convert::Status convertBeside(const std::string& name, const std::string& input);

} // namespace qlx::test
