// Names of a folder on Windows: a search by FindFirstFileA, which reads them with the rest.
#include "platform/FolderNames.h"
#include "platform/Win32.h"

#include <utility>

namespace ovs::platform {

std::vector<std::string> namesMatching(const std::string& pattern) {
    std::vector<std::vector<FoundEntry>> found = entriesMatching({pattern});
    std::vector<std::string> names;
    for (FoundEntry& entry : found[0]) {
        names.push_back(std::move(entry.name));
    }
    return names;
}

std::vector<std::vector<FoundEntry>> entriesMatching(const std::vector<std::string>& patterns) {
    std::vector<std::vector<FoundEntry>> found(patterns.size());
    for (std::size_t i = 0; i < patterns.size(); ++i) {
        WIN32_FIND_DATAA entry;
        HANDLE search = FindFirstFileA(patterns[i].c_str(), &entry);
        if (search == INVALID_HANDLE_VALUE) {
            continue;
        }
        do {
            found[i].push_back(
                {entry.cFileName,
                 entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)});
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    return found;
}

} // namespace ovs::platform
