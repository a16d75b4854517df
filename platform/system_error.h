// A system call's failure as the system reported it: its own code, and the kind of failure that
// the program can put into words.
#pragma once

#include <cstdint>

namespace qlx::platform {

struct SystemError {
    enum class Kind : std::uint8_t {
        None,
        NotFound,     // no such file or folder
        AccessDenied, // permission denied
        Folder,       // a folder where a file was meant
        NotRegular,   // a pipe, a device or the like where a file was meant
        InUse,        // another program holds the file
        NoSpace,      // the disk, or the user's quota, is full
        TooLarge,     // larger than the process may write
        ReadOnly,     // a file system mounted, or a medium made, read-only
        LinkLoop,     // too many symbolic links
        Exists,       // a name that is taken
        DeviceName,   // a name that Windows keeps for a device (CON, NUL, COM1...)
        Other,
    };
    Kind kind = Kind::None;
    std::int64_t code = 0; // errno, or GetLastError()

    explicit operator bool() const { return kind != Kind::None; }
};

// The failure of the last system call that failed on this thread, for the platform's own use.
SystemError lastError();

} // namespace qlx::platform
