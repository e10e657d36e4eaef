// The INI file on disk: which file a name given to the ANSI functions means,
// reading it whole, and replacing it atomically while other writers wait.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "engine/status.h"

namespace qb::kernel32 {

// The path of the file that |ansi_name| (code page 932 bytes) names, as UTF-8
// bytes: a name without "/" is in the Windows directory, which is created
// first when |create_windows_directory|; any other name is taken as it is.
// kInvalidArgument for a null or empty name or one that is not valid code
// page 932; the Windows directory's errors otherwise.
Status ResolveProfilePath(const char* ansi_name, bool create_windows_directory, std::string* path);

// Reads the whole regular file |path| into |*bytes|. kNotFound when there is
// no file; kIoError when it cannot be read or is not a regular file (a FIFO
// is never waited on).
Status ReadProfile(const std::string& path, std::string* bytes);

// |edit| receives the file's current bytes ("" when it does not exist) and
// sets the bytes to store; when they equal the current ones nothing is
// written. Otherwise the file is replaced atomically: a temporary file in the
// same directory is written, flushed and renamed over it, with the old file's
// mode (0666 less the umask for a new file), and the directory is flushed. A
// symbolic link is followed and kept. The whole read-edit-write runs under an
// exclusive flock(2) on the directory, so concurrent updaters do not lose each
// other's changes; kIoError when that lock is not had within |lock_timeout_ms|.
// On any failure the file is left as it was and no temporary file remains.
Status UpdateProfile(
    const std::string& path,
    const std::function<void(std::string_view current, std::string* updated)>& edit,
    int lock_timeout_ms = 5000);

}  // namespace qb::kernel32
