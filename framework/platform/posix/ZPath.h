// POSIX substitute: the Unix tree seen as drive Z:, as Wine shows it. Every function that
// touches the file system turns its Windows path into a Unix path here.
#pragma once
#include "WinBase.h"
#include <string>

namespace ovs::posix {

// "Z:\a\b" and rooted "\a\b" or "/a/b" give "/a/b"; relative paths keep their place relative
// to the process's current folder ("a\b" gives "a/b"). Another drive letter or a UNC path
// has no Unix counterpart: false, with ERROR_PATH_NOT_FOUND as the last error.
bool unixPathFrom(const char* windowsPath, std::string& unixPath);

// "/a/b" gives "Z:\a\b"; "/" gives "Z:\".
std::string windowsPathFrom(const std::string& unixPath);

} // namespace ovs::posix
