// POSIX substitute: FindFirstFileA, FindNextFileA and FindClose. A search reads the folder's
// names when it starts (in Windows' order: "." and "..", then the names sorted without regard
// to case) and fetches each entry's status when it is handed out, so that entries deleted
// meanwhile are left out and the caller may delete and create entries during the walk. Names
// are handed out and matched in their Windows form (windowsNameFrom, ZPath.h).
#include "platform/posix/file/FindWildcard.h"
#include "platform/posix/file/FullPath.h"
#include "platform/posix/base/KernelObjects.h"
#include "platform/posix/file/WinFileCommon.h"
#include "platform/posix/file/ZPath.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <vector>

namespace {

class FindObject : public ovs::posix::KernelObject {
public:
    std::string folder; // Unix path with a trailing "/"
    struct Entry {
        std::string windowsName; // as handed out (ZPath.h)
        std::string unixName;
    };
    std::vector<Entry> names;
    std::size_t next = 0;
};

// Hands out the next entry that still exists; false at the end.
bool nextEntry(FindObject& search, WIN32_FIND_DATAA& data) {
    while (search.next < search.names.size()) {
        const FindObject::Entry& entry = search.names[search.next++];
        std::string path = search.folder + entry.unixName;
        struct stat info;
        if (::stat(path.c_str(), &info) == 0 || ::lstat(path.c_str(), &info) == 0) {
            ovs::posix::fillFindData(info, entry.windowsName, data);
            return true;
        }
    }
    return false;
}

} // namespace

HANDLE FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findData) {
    if (fileName == nullptr || *fileName == '\0') {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::string text(fileName);
    if (text.size() >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE); // as every file function (ZPath.h)
        return INVALID_HANDLE_VALUE;
    }
    std::size_t split = text.find_last_of("\\/");
    std::string folderPart;
    std::string mask;
    if (split != std::string::npos) {
        folderPart = text.substr(0, split + 1);
        mask = text.substr(split + 1);
    } else if (text.size() >= 2 && text[1] == ':') {
        folderPart = text.substr(0, 2);
        mask = text.substr(2);
    } else {
        mask = text;
    }
    // The folder is the full form of what precedes the mask (the current folder when nothing).
    std::string folderFull = folderPart.empty() ? ovs::posix::currentFolderText()
                                                : ovs::posix::fullPathText(folderPart, ovs::posix::currentFolderText());
    std::string folder;
    if (!ovs::posix::unixPathFrom(folderFull.c_str(), folder)) {
        return INVALID_HANDLE_VALUE;
    }
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    struct stat folderInfo;
    if (::stat(folder.c_str(), &folderInfo) != 0 || !S_ISDIR(folderInfo.st_mode)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (mask.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr) {
        SetLastError(errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::string dosMask = ovs::posix::dosMaskFrom(mask);
    auto search = std::make_unique<FindObject>();
    search->folder = folder;
    while (dirent* entry = ::readdir(directory)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        std::string windowsName = ovs::posix::windowsNameFrom(name);
        if (ovs::posix::dosMaskMatches(dosMask, windowsName)) {
            search->names.push_back({std::move(windowsName), std::move(name)});
        }
    }
    ::closedir(directory);
    std::sort(search->names.begin(), search->names.end(), [](const FindObject::Entry& a, const FindObject::Entry& b) {
        int order = ::strcasecmp(a.windowsName.c_str(), b.windowsName.c_str());
        return order != 0 ? order < 0 : a.windowsName < b.windowsName;
    });
    if (folder != "/" && ovs::posix::dosMaskListsDotEntries(dosMask)) {
        search->names.insert(search->names.begin(), {{".", "."}, {"..", ".."}});
    }
    if (!nextEntry(*search, *findData)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    return ovs::posix::registerHandle(std::move(search));
}

BOOL FindNextFileA(HANDLE findFile, LPWIN32_FIND_DATAA findData) {
    FindObject* search = ovs::posix::lookupHandleAs<FindObject>(findFile);
    if (search == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!nextEntry(*search, *findData)) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    return TRUE;
}

BOOL FindClose(HANDLE findFile) {
    if (ovs::posix::lookupHandleAs<FindObject>(findFile) == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return CloseHandle(findFile);
}
