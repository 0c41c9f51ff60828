// Names of a folder on POSIX: the folder reading of FindFirstFileA without its status calls.
#include "platform/FolderNames.h"
#include "platform/posix/file/FindFile.h"

namespace ovs::platform {

std::vector<std::string> namesMatching(const std::string& pattern) {
    std::string folder;
    std::vector<ovs::posix::FolderEntry> entries;
    std::vector<std::string> names;
    if (ovs::posix::readFolderEntries(pattern.c_str(), folder, entries, false)) {
        names.reserve(entries.size());
        for (ovs::posix::FolderEntry& entry : entries) {
            names.push_back(std::move(entry.windowsName));
        }
    }
    return names;
}

std::vector<std::vector<FoundEntry>> entriesMatching(const std::vector<std::string>& patterns) {
    return ovs::posix::entriesMatching(patterns);
}

} // namespace ovs::platform
