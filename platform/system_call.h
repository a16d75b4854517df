// The platform files' shorthand for a system call's outcome: the last error on this thread as
// the failure of a Result.
#pragma once

#include "platform/files.h"
#include "platform/system_error.h"

namespace qlx::platform {

template <typename T = void> Result<T> failure() {
    return unexpected(lastError());
}

inline Result<void> succeeded(bool done) {
    return done ? Result<void>() : failure();
}

} // namespace qlx::platform
