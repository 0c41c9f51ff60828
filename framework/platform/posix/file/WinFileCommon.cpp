// POSIX substitute: file times, attributes and the in-process share table.
#include "platform/posix/file/WinFileCommon.h"
#include "platform/posix/file/ZPath.h"

#include <cstring>
#include <list>
#include <mutex>

namespace ovs::posix {

namespace {

constexpr std::int64_t unitsPerSecond = 10000000;
constexpr std::int64_t secondsFrom1601To1970 = 11644473600LL;

struct ShareEntry {
    OpenFileKey key;
    DWORD access;
    DWORD share;
    const void* owner;
};

struct ShareTable {
    std::mutex mutex;
    std::list<ShareEntry> entries;
};

ShareTable& shareTable() {
    static ShareTable* table = new ShareTable; // handles may be closed during process exit
    return *table;
}

bool sameFile(const OpenFileKey& a, const OpenFileKey& b) {
    return a.device == b.device && a.inode == b.inode;
}

bool reads(DWORD access) {
    return (access & (GENERIC_READ | GENERIC_ALL | FILE_READ_DATA)) != 0;
}

bool writes(DWORD access) {
    return (access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA)) != 0;
}

} // namespace

FILETIME fileTimeFrom(const struct timespec& time) {
    std::int64_t units =
        (static_cast<std::int64_t>(time.tv_sec) + secondsFrom1601To1970) * unitsPerSecond + time.tv_nsec / 100;
    if (units < 0) {
        units = 0;
    }
    FILETIME result;
    result.dwLowDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(units) & 0xFFFFFFFFu);
    result.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(units) >> 32);
    return result;
}

struct timespec timespecFrom(const FILETIME& time) {
    std::uint64_t units = (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    struct timespec result;
    result.tv_sec = static_cast<time_t>(static_cast<std::int64_t>(units / unitsPerSecond) - secondsFrom1601To1970);
    result.tv_nsec = static_cast<long>((units % unitsPerSecond) * 100);
    return result;
}

bool unixPathOfFileName(LPCSTR fileName, std::string& path) {
    if (fileName == nullptr || *fileName == '\0') {
        SetLastError(fileName == nullptr ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND);
        return false;
    }
    return unixPathOfFull(fileName, path);
}

DWORD attributesOf(const struct stat& info, const std::string& name) {
    DWORD attributes = S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if ((info.st_mode & S_IWUSR) == 0) {
        attributes |= FILE_ATTRIBUTE_READONLY;
    }
    return attributes | hiddenByName(name);
}

DWORD hiddenByName(const std::string& name) {
    return !name.empty() && name[0] == '.' && name != "." && name != ".." ? FILE_ATTRIBUTE_HIDDEN : 0;
}

void fillFindData(const struct stat& info, const std::string& name, WIN32_FIND_DATAA& data) {
    std::memset(&data, 0, sizeof data);
    data.dwFileAttributes = attributesOf(info, name);
    data.ftCreationTime = fileTimeFrom(info.st_mtim);
    data.ftLastAccessTime = fileTimeFrom(info.st_atim);
    data.ftLastWriteTime = fileTimeFrom(info.st_mtim);
    if (!S_ISDIR(info.st_mode)) {
        std::uint64_t size = static_cast<std::uint64_t>(info.st_size);
        data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
        data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
    }
    std::size_t length = name.size() < MAX_PATH - 1 ? name.size() : MAX_PATH - 1;
    std::memcpy(data.cFileName, name.data(), length);
}

bool shareTableAdd(const OpenFileKey& key, DWORD access, DWORD share, const void* owner) {
    ShareTable& table = shareTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    for (const ShareEntry& entry : table.entries) {
        // Handles without data access (attributes only) neither hinder nor are hindered.
        if (!sameFile(entry.key, key) || !(reads(access) || writes(access)) ||
            !(reads(entry.access) || writes(entry.access))) {
            continue;
        }
        if ((reads(access) && !(entry.share & FILE_SHARE_READ)) ||
            (writes(access) && !(entry.share & FILE_SHARE_WRITE)) ||
            (reads(entry.access) && !(share & FILE_SHARE_READ)) ||
            (writes(entry.access) && !(share & FILE_SHARE_WRITE))) {
            return false;
        }
    }
    table.entries.push_back(ShareEntry{key, access, share, owner});
    return true;
}

void shareTableRemove(const void* owner) {
    ShareTable& table = shareTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    table.entries.remove_if([owner](const ShareEntry& entry) { return entry.owner == owner; });
}

bool shareTableBlocksDelete(const OpenFileKey& key) {
    ShareTable& table = shareTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    for (const ShareEntry& entry : table.entries) {
        if (sameFile(entry.key, key) && (reads(entry.access) || writes(entry.access)) &&
            !(entry.share & FILE_SHARE_DELETE)) {
            return true;
        }
    }
    return false;
}

} // namespace ovs::posix
