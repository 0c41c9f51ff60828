// POSIX substitute: the folder reading behind FindFirstFileA, also for callers that want the
// matching names alone, without the status call per entry that a search makes.
#pragma once
#include "platform/FolderNames.h"

#include <string>
#include <vector>

namespace ovs::posix {

struct FolderEntry {
    std::string windowsName; // as handed out (ZPath.h)
    std::string unixName;
};

// Reads the folder of a FindFirstFileA pattern ("Z:\dir\Task*.ovc"; the current folder when
// it names none) and the entries whose Windows names match its mask: with sorted, in Windows'
// order ("." and ".." first when the mask takes them, then the names without regard to case);
// else only "." and ".." come first. folder becomes the folder's Unix path with a trailing "/".
// False, with FindFirstFileA's last error, when the pattern or folder cannot be searched.
bool readFolderEntries(const char* fileName, std::string& folder, std::vector<FolderEntry>& names, bool sorted);

// ovs::platform::entriesMatching: one reading of a folder serves every pattern of it.
std::vector<std::vector<ovs::platform::FoundEntry>> entriesMatching(const std::vector<std::string>& patterns);

} // namespace ovs::posix
