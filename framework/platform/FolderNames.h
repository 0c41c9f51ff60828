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

} // namespace ovs::platform
