// Names of a folder on Windows: a search by FindFirstFileA, which reads them with the rest.
#include "platform/FolderNames.h"
#include "platform/Win32.h"

namespace ovs::platform {

std::vector<std::string> namesMatching(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        names.emplace_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

} // namespace ovs::platform
