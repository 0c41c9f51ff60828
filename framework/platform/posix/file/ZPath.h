// POSIX substitute: the Unix tree seen as drive Z:, as Wine shows it. Every function that
// touches the file system turns its Windows path into a Unix path here.
#pragma once
#include "platform/posix/base/WinBase.h"
#include <string>

namespace ovs::posix {

// "Z:\a\b" and rooted "\a\b" or "/a/b" give "/a/b"; relative paths keep their place relative
// to the process's current folder ("a\b" gives "a/b"). Another drive letter or a UNC path
// has no Unix counterpart: false, with ERROR_PATH_NOT_FOUND as the last error.
bool unixPathFrom(const char* windowsPath, std::string& unixPath);

// The Unix path of the full form of a Windows path (FullPath.h), as the file functions use it:
// "Z:\a\.\b." gives "/a/b". A null or empty path fails with ERROR_PATH_NOT_FOUND, a path on
// another drive or a UNC path as unixPathFrom does.
bool unixPathOfFull(const char* windowsPath, std::string& unixPath);

// "/a/b" gives "Z:\a\b"; "/" gives "Z:\".
std::string windowsPathFrom(const std::string& unixPath);

// The Windows error for a failed system call on a path. A missing entry (ENOENT) gives
// ERROR_FILE_NOT_FOUND when its folder exists and ERROR_PATH_NOT_FOUND when not; a file
// used as a folder on the way (ENOTDIR) gives ERROR_PATH_NOT_FOUND; others as errorFromErrno.
DWORD errorForPath(int error, const std::string& unixPath);

} // namespace ovs::posix
