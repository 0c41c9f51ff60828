// POSIX substitute: FindFirstFileA, FindNextFileA and FindClose. A search reads the folder's
// names when it starts (in Windows' order: "." and "..", then the names sorted without regard
// to case) and fetches each entry's status when it is handed out, so that entries deleted
// meanwhile are left out and the caller may delete and create entries during the walk. Names
// are handed out and matched in their Windows form (windowsNameFrom, ZPath.h).
#include "platform/posix/file/FindFile.h"
#include "platform/FolderNames.h"
#include "platform/posix/base/KernelObjects.h"
#include "platform/posix/file/FindWildcard.h"
#include "platform/posix/file/FullPath.h"
#include "platform/posix/file/WinFileCommon.h"
#include "platform/posix/file/ZPath.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
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

// The key that orders names without regard to case (ASCII letters, as strcasecmp in the C
// locale): the name with its ASCII capitals made small. Names of equal keys go by their bytes.
std::string sortKey(const std::string& name) {
    std::string key = name;
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return key;
}

// One entry of a folder reading: its names, its kind as the reading gives it, and which masks
// of the reading match it (bit i for the i-th).
struct ListedEntry {
    ovs::posix::FolderEntry names;
    unsigned char kind;
    std::uint32_t matched;
};

// The most masks one folder reading matches at once.
constexpr std::size_t MasksPerReading = 32;

constexpr DWORD Gone = 0xFFFFFFFF;

// The attributes a search reports for the entry, as far as FoundEntry keeps them: a folder
// tells itself by its kind; a link, or an entry whose kind the reading does not give, by the
// status of what it leads to (of the link itself when that is gone). Gone when neither exists.
DWORD kindOf(const std::string& folder, const ListedEntry& entry) {
    DWORD attributes = 0;
    if (entry.kind == DT_DIR) {
        attributes = FILE_ATTRIBUTE_DIRECTORY;
    } else if (entry.kind != DT_REG) {
        std::string path = folder + entry.names.unixName;
        struct stat info;
        if (::stat(path.c_str(), &info) != 0 && ::lstat(path.c_str(), &info) != 0) {
            return Gone;
        }
        attributes = ovs::posix::attributesOf(info, entry.names.windowsName) & FILE_ATTRIBUTE_DIRECTORY;
    }
    return attributes | ovs::posix::hiddenByName(entry.names.windowsName);
}

} // namespace

namespace ovs::posix {

namespace {

// The folder of a FindFirstFileA pattern as a Unix path with a trailing "/" (the current
// folder when the pattern names none) and the pattern's mask in its DOS form. False, with
// FindFirstFileA's last error, when the pattern or folder cannot be searched.
bool searchOf(const char* fileName, std::string& folder, std::string& dosMask) {
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
    dosMask = dosMaskFrom(mask);
    return true;
}

// The entries of the folder but "." and ".." that one of the converted masks (at most
// MasksPerReading) matches, with their kind as the folder reading gives it (DT_UNKNOWN where the
// file system tells none). Only matches are kept: a search for the few markers beside ten
// thousand task files holds no name of those.
bool readFolder(const std::string& folder, const std::vector<std::string>& dosMasks,
                std::vector<ListedEntry>& entries) {
    entries.clear();
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr) {
        SetLastError(errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND);
        return false;
    }
    std::vector<DosMask> masks(dosMasks.begin(), dosMasks.end());
    while (dirent* entry = ::readdir(directory)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        std::string windowsName = windowsNameFrom(name);
        std::uint32_t matched = 0;
        for (std::size_t i = 0; i < masks.size(); ++i) {
            matched |= masks[i].matches(windowsName) ? std::uint32_t{1} << i : 0;
        }
        if (matched != 0) {
            entries.push_back({{std::move(windowsName), std::move(name)}, entry->d_type, matched});
        }
    }
    ::closedir(directory);
    return true;
}

// The entries that the reading's mask number `mask` matched, in Windows' order when sorted
// ("." and ".." first when the mask takes them).
template <class Entry, class Pick>
void matching(const std::string& folder, const std::string& dosMask, std::size_t mask,
              const std::vector<ListedEntry>& listed, std::vector<Entry>& names, bool sorted, Pick pick) {
    // The matches are ordered as pointers, so that sorting a large folder moves no names.
    std::vector<const ListedEntry*> hits;
    for (const ListedEntry& entry : listed) {
        if ((entry.matched >> mask) & 1) {
            hits.push_back(&entry);
        }
    }
    if (sorted) {
        // The first eight bytes of a key, as one number, settle most comparisons.
        struct Keyed {
            std::uint64_t head;
            std::size_t index;
        };
        std::vector<std::string> keys;
        std::vector<Keyed> order;
        keys.reserve(hits.size());
        order.reserve(hits.size());
        for (std::size_t i = 0; i < hits.size(); ++i) {
            keys.push_back(sortKey(hits[i]->names.windowsName));
            std::uint64_t head = 0;
            for (std::size_t k = 0; k < 8; ++k) {
                head = (head << 8) | (k < keys[i].size() ? static_cast<unsigned char>(keys[i][k]) : 0);
            }
            order.push_back({head, i});
        }
        std::sort(order.begin(), order.end(), [&](const Keyed& a, const Keyed& b) {
            if (a.head != b.head) {
                return a.head < b.head;
            }
            const int byKey = keys[a.index].compare(keys[b.index]);
            return byKey != 0 ? byKey < 0 : hits[a.index]->names.windowsName < hits[b.index]->names.windowsName;
        });
        std::vector<const ListedEntry*> ordered(hits.size());
        for (std::size_t i = 0; i < order.size(); ++i) {
            ordered[i] = hits[order[i].index];
        }
        hits.swap(ordered);
    }
    names.clear();
    const bool dotEntries = folder != "/" && dosMaskListsDotEntries(dosMask);
    names.reserve(hits.size() + (dotEntries ? 2 : 0));
    if (dotEntries) {
        names.push_back(pick(ListedEntry{{".", "."}, DT_DIR, 0}));
        names.push_back(pick(ListedEntry{{"..", ".."}, DT_DIR, 0}));
    }
    for (const ListedEntry* entry : hits) {
        names.push_back(pick(*entry));
    }
}

} // namespace

bool readFolderEntries(const char* fileName, std::string& folder, std::vector<FolderEntry>& names, bool sorted) {
    names.clear();
    std::string dosMask;
    std::vector<ListedEntry> listed;
    if (!searchOf(fileName, folder, dosMask) || !readFolder(folder, {dosMask}, listed)) {
        return false;
    }
    matching(folder, dosMask, 0, listed, names, sorted, [](const ListedEntry& entry) { return entry.names; });
    return true;
}

std::vector<std::vector<ovs::platform::FoundEntry>> entriesMatching(const std::vector<std::string>& patterns) {
    std::vector<std::vector<ovs::platform::FoundEntry>> found(patterns.size());
    std::vector<ListedEntry> entries;
    for (std::size_t next = 0; next < patterns.size();) {
        // The patterns from here on that search one folder share one reading of it.
        std::string folder;
        std::vector<std::string> dosMasks;
        std::vector<std::size_t> patternOf;
        for (; next < patterns.size() && dosMasks.size() < MasksPerReading; ++next) {
            std::string itsFolder;
            std::string dosMask;
            if (!searchOf(patterns[next].c_str(), itsFolder, dosMask)) {
                continue;
            }
            if (!dosMasks.empty() && itsFolder != folder) {
                break;
            }
            folder = std::move(itsFolder);
            dosMasks.push_back(std::move(dosMask));
            patternOf.push_back(next);
        }
        if (dosMasks.empty() || !readFolder(folder, dosMasks, entries)) {
            continue;
        }
        for (std::size_t mask = 0; mask < dosMasks.size(); ++mask) {
            std::vector<ovs::platform::FoundEntry>& list = found[patternOf[mask]];
            matching(folder, dosMasks[mask], mask, entries, list, true, [&folder](const ListedEntry& entry) {
                return ovs::platform::FoundEntry{entry.names.windowsName, kindOf(folder, entry)};
            });
            // An entry gone since the folder was read is no longer found, as FindNextFileA skips it.
            list.erase(std::remove_if(list.begin(), list.end(),
                                      [](const ovs::platform::FoundEntry& entry) { return entry.attributes == Gone; }),
                       list.end());
        }
    }
    return found;
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
