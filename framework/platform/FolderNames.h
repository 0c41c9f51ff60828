// The names a search by FindFirstFileA would hand out, without the rest of what it reports
// about each entry. On Windows that is the search itself; on the POSIX substitute a search
// costs a status call per entry, a listing of the names one read of the folder.
#pragma once
#include <string>
#include <vector>

namespace ovs::platform {

// The names (without their folder) that FindFirstFileA and FindNextFileA find for the
// pattern ("Z:\dir\Task*.ovc"), in no given order; empty when the search finds none or fails.
std::vector<std::string> namesMatching(const std::string& pattern);

// One entry a search finds: its name and, of its attributes, only FILE_ATTRIBUTE_DIRECTORY,
// FILE_ATTRIBUTE_HIDDEN and FILE_ATTRIBUTE_SYSTEM (what tells folders and hidden or system
// entries apart).
struct FoundEntry {
    std::string name;
    unsigned long attributes;
};

// For each pattern ("Z:\dir\Task*.ovc"), the entries that FindFirstFileA and FindNextFileA
// find for it, in their order; a list is empty when its search finds none or fails. On POSIX
// a folder named by several patterns in a row is read once, and an entry's status is fetched
// only where the folder reading does not tell a folder from a file.
std::vector<std::vector<FoundEntry>> entriesMatching(const std::vector<std::string>& patterns);

} // namespace ovs::platform
