// POSIX substitute: the Unix tree seen as drive Z:, as Wine shows it. Every function that
// touches the file system turns its Windows path into a Unix path here.
#pragma once
#include "platform/posix/base/WinBase.h"
#include <string>

namespace ovs::posix {

// "Z:\a\b" and rooted "\a\b" or "/a/b" give "/a/b"; relative paths keep their place relative
// to the process's current folder ("a\b" gives "a/b"). Characters of names mapped by
// windowsNameFrom are turned back into the Unix name's own. Another drive letter or a UNC path
// has no Unix counterpart: false, with ERROR_PATH_NOT_FOUND as the last error.
bool unixPathFrom(const char* windowsPath, std::string& unixPath);

// The Unix path of the full form of a Windows path (FullPath.h), as the file functions use it:
// "Z:\a\.\b." gives "/a/b". A null or empty path fails with ERROR_PATH_NOT_FOUND, one of
// MAX_PATH characters or more with ERROR_FILENAME_EXCED_RANGE, a path on
// another drive or a UNC path as unixPathFrom does.
bool unixPathOfFull(const char* windowsPath, std::string& unixPath);

// "/a/b" gives "Z:\a\b"; "/" gives "Z:\". Names are mapped as windowsNameFrom does.
std::string windowsPathFrom(const std::string& unixPath);

// A Unix name as Windows code sees it. A character that Windows never allows in a name
// (\ : * ? " < > | and control characters) becomes the private-use character U+F000 plus its
// code, in UTF-8 (the ANSI code page here), as Wine does, so that a listed name can never
// split into folders or climb out of its own; unixPathFrom maps such characters back, so the
// name opens that very file.
std::string windowsNameFrom(const std::string& unixName);

// The Windows error for a failed system call on a path. A missing entry (ENOENT) gives
// ERROR_FILE_NOT_FOUND when its folder exists and ERROR_PATH_NOT_FOUND when not; a file
// used as a folder on the way (ENOTDIR) gives ERROR_PATH_NOT_FOUND; others as errorFromErrno.
DWORD errorForPath(int error, const std::string& unixPath);

} // namespace ovs::posix
