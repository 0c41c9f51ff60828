// POSIX substitute: FindFirstFileA, FindNextFileA and FindClose. A search reads the folder's
// names when it starts (in Windows' order: "." and "..", then the names sorted without regard
// to case) and fetches each entry's status when it is handed out, so that entries deleted
// meanwhile are left out and the caller may delete and create entries during the walk. Names
// are handed out and matched in their Windows form (windowsNameFrom, ZPath.h).
#include "platform/posix/file/FindFile.h"
#include "platform/posix/base/KernelObjects.h"
#include "platform/posix/file/FindWildcard.h"
#include "platform/posix/file/FullPath.h"
#include "platform/posix/file/WinFileCommon.h"
#include "platform/posix/file/ZPath.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <vector>

namespace {

class FindObject : public ovs::posix::KernelObject {
public:
    std::string folder; // Unix path with a trailing "/"
    std::vector<ovs::posix::FolderEntry> names;
    std::size_t next = 0;
};

// Hands out the next entry that still exists; false at the end.
bool nextEntry(FindObject& search, WIN32_FIND_DATAA& data) {
    while (search.next < search.names.size()) {
        const ovs::posix::FolderEntry& entry = search.names[search.next++];
        std::string path = search.folder + entry.unixName;
        struct stat info;
        if (::stat(path.c_str(), &info) == 0 || ::lstat(path.c_str(), &info) == 0) {
            ovs::posix::fillFindData(info, entry.windowsName, data);
            return true;
        }
    }
    return false;
}

// Orders names without regard to case (ASCII letters, as strcasecmp in the C locale), then
// by their bytes.
bool sortsBefore(const std::string& a, const std::string& b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        x = (x >= 'A' && x <= 'Z') ? static_cast<unsigned char>(x - 'A' + 'a') : x;
        y = (y >= 'A' && y <= 'Z') ? static_cast<unsigned char>(y - 'A' + 'a') : y;
        if (x != y) {
            return x < y;
        }
    }
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

} // namespace

namespace ovs::posix {

bool readFolderEntries(const char* fileName, std::string& folder, std::vector<FolderEntry>& names, bool sorted) {
    names.clear();
    if (fileName == nullptr || *fileName == '\0') {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    std::string text(fileName);
    if (text.size() >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE); // as every file function (ZPath.h)
        return false;
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
    std::string folderFull = folderPart.empty() ? currentFolderText() : fullPathText(folderPart);
    if (!unixPathFrom(folderFull.c_str(), folder)) {
        return false;
    }
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    struct stat folderInfo;
    if (::stat(folder.c_str(), &folderInfo) != 0 || !S_ISDIR(folderInfo.st_mode)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    if (mask.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr) {
        SetLastError(errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND);
        return false;
    }
    std::string dosMask = dosMaskFrom(mask);
    while (dirent* entry = ::readdir(directory)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        std::string windowsName = windowsNameFrom(name);
        if (dosMaskMatches(dosMask, windowsName)) {
            names.push_back({std::move(windowsName), std::move(name)});
        }
    }
    ::closedir(directory);
    if (sorted) {
        std::sort(names.begin(), names.end(),
                  [](const FolderEntry& a, const FolderEntry& b) { return sortsBefore(a.windowsName, b.windowsName); });
    }
    if (folder != "/" && dosMaskListsDotEntries(dosMask)) {
        names.insert(names.begin(), {{".", "."}, {"..", ".."}});
    }
    return true;
}

} // namespace ovs::posix

HANDLE FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findData) {
    auto search = std::make_unique<FindObject>();
    if (!ovs::posix::readFolderEntries(fileName, search->folder, search->names, true)) {
        return INVALID_HANDLE_VALUE;
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
