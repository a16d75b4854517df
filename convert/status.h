// The outcome of one run of the program, as the exit status reports it.
#pragma once

#include <cstdint>

namespace qlx::convert {

// A conversion returns one of the first four, or OutOfMemory; the driver adds BadExtension. Any
// other value reads as an error of unknown cause.
enum class Status : std::int32_t {
    Ok = 0,
    OpenError = -1,      // the input cannot be read, or its version is refused
    RowsNotAMotion = -2, // the CSV rows do not make up a whole motion ("internal error", as the
                         // program has always called it)
    WriteError = -3,     // the output cannot be written
    BadExtension = -4,   // the path ends in neither ".qlx" nor ".csv"
    OutOfMemory = -5,    // memory ran out; reported with the unknown-error message
};

} // namespace qlx::convert
