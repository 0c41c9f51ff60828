// POSIX substitute: where a private-profile file lives and how it is read and rewritten.
// Reads take one consistent snapshot of the file; writes replace the file atomically (a
// temporary file in the same folder renamed over it) under an advisory lock on the folder,
// so that a concurrent reader never sees half a file and two writers through this layer
// never lose each other's entries. The last file read is kept by
// ProfileCache, which checks it against the file on every call.
#pragma once
#include "platform/posix/profile/ProfileText.h"
#include "platform/posix/base/HostFolders.h"
#include "platform/posix/base/WinBase.h"

#include <functional>
#include <string>

#include <sys/stat.h>

namespace ovs::posix {

struct ProfileLocation {
    std::string unixPath;            // the file as the Unix file system names it
    bool inWindowsDirectory = false; // named without a folder: resolved in the Windows directory
};

// Resolves a profile file name as Windows does: a null name means "win.ini"; a name without
// "\", "/" or ":" lives in the Windows directory; any other name goes through the Z: mapping
// (relative names stay relative to the current folder). False, with ERROR_PATH_NOT_FOUND as
// the last error, when the name has no Unix counterpart.
bool resolveProfileLocation(const char* fileName, ProfileLocation& location);

// Reads the whole file as text (a UTF-16LE file, recognised by its byte-order mark, is
// decoded to UTF-8). False when it cannot be read, with the Windows error as the last error
// (ERROR_FILE_NOT_FOUND for a missing file, ERROR_ACCESS_DENIED for a folder).
// status (when given) receives the stat record of the file read.
bool readProfileText(const ProfileLocation& location, std::string& text, struct stat* status = nullptr);

// Reads the file (empty text when it does not exist), applies edit, and writes the result
// back unless nothing changed; a missing file is always created, even when empty. The whole
// sequence runs under the folder's lock. On success the last error is 0 for a file that
// existed and ERROR_FILE_NOT_FOUND for one that was created (as Windows leaves them); on
// failure it is the Windows error: ERROR_PATH_NOT_FOUND for a missing folder,
// ERROR_ACCESS_DENIED for a folder name or a file or folder that may not be written.
bool updateProfile(const ProfileLocation& location, const std::function<void(ProfileText&)>& edit);

} // namespace ovs::posix
