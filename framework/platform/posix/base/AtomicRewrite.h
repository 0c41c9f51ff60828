// POSIX substitute: the locked, all-or-nothing rewrite of a whole file that the text-backed
// stores (private profiles, registry roots) share. A writer locks the folder, reads the file,
// changes it and puts the new text in place with replaceFile; a reader needs no lock, because
// a rename replaces the file whole and a reader never sees half a file.
#pragma once
#include "platform/posix/base/WinBase.h"

#include <chrono>
#include <string>

#include <sys/stat.h>

namespace ovs::posix {

// Reads the whole file at path into bytes; status (when given) receives its stat record.
// ERROR_SUCCESS, or the Windows error: ERROR_FILE_NOT_FOUND for a missing file,
// ERROR_PATH_NOT_FOUND for a missing folder on the way, ERROR_ACCESS_DENIED for a folder.
DWORD readWholeFile(const std::string& path, std::string& bytes, struct stat* status = nullptr);

// Whether an existing file may be rewritten. A file without any write permission bit is
// read-only, as a file with Windows' read-only attribute is, whoever asks (also the
// superuser, whom the system would let write it); otherwise the process's own right to
// write it decides.
bool fileMayBeRewritten(const std::string& path, const struct stat& status);

// An exclusive advisory lock (flock) on a folder, held for the object's life. The lock sits on
// the folder, not on the file, because every write replaces the file by a new one. A lock that
// another process keeps for longer than LongestWait is not taken: openError is then EBUSY.
class FolderLock {
public:
    static constexpr std::chrono::milliseconds LongestWait{5000};

    explicit FolderLock(const std::string& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool held() const { return fd_ >= 0; }
    // The errno of a failed open of the folder (0 while held).
    int openError() const { return openError_; }

private:
    int fd_;
    int openError_ = 0;
};

// Writes bytes to a new temporary file beside path and renames it over path. mode is the
// permission set to give the file, or -1 for that of a new file (0666 less the umask). The
// temporary is named "." + the file's name + ".~<process>-<count>.tmp", so that no pattern
// another part of the program looks for ("Task*.ovc", "*.reg", ...) ever matches it. On any
// failure the temporary is removed and the result is the Windows error (ERROR_PATH_NOT_FOUND
// for a missing folder); the file itself is then unchanged. The data is not forced to disk:
// like Windows' own writes of profiles and registry files, it goes to the system's cache, and
// the rename makes the change all-or-nothing for every reader.
DWORD replaceFile(const std::string& path, const std::string& bytes, int mode = -1);

} // namespace ovs::posix
