// POSIX substitute: file times, attributes and the in-process share table.
#include "platform/posix/file/WinFileCommon.h"
#include "platform/posix/file/ZPath.h"

#include <atomic>
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
    // How many entries there are, written with the lock held: a look-up of a table without
    // entries (the usual case of a private-profile read) takes no lock.
    std::atomic<std::size_t> count{0};
};

ShareTable& shareTable() {
    static ShareTable* table = new ShareTable; // handles may be closed during process exit
    return *table;
}

bool sameFile(const OpenFileKey& a, const OpenFileKey& b) {
    return a.device == b.device && a.inode == b.inode;
}

// The access that FILE_SHARE_READ, FILE_SHARE_WRITE and FILE_SHARE_DELETE govern. Executing
// counts as reading; GENERIC_ALL holds all three. A handle with none of them (attributes only,
// FILE_READ_ATTRIBUTES, FILE_WRITE_ATTRIBUTES) neither hinders nor is hindered.
bool reads(DWORD access) {
    return (access & (GENERIC_READ | GENERIC_EXECUTE | GENERIC_ALL | FILE_READ_DATA | FILE_EXECUTE)) != 0;
}

bool writes(DWORD access) {
    return (access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA)) != 0;
}

bool deletes(DWORD access) {
    return (access & (GENERIC_ALL | DELETE)) != 0;
}

bool sharedAccess(DWORD access) {
    return reads(access) || writes(access) || deletes(access);
}

// True when a handle with one access and sharing and another with the other cannot both be open:
// each one's access must be shared by the other.
bool conflict(DWORD access, DWORD share, DWORD otherAccess, DWORD otherShare) {
    if (!sharedAccess(access) || !sharedAccess(otherAccess)) {
        return false;
    }
    auto allowedBy = [](DWORD wanted, DWORD sharing) {
        return (!reads(wanted) || (sharing & FILE_SHARE_READ)) && (!writes(wanted) || (sharing & FILE_SHARE_WRITE)) &&
               (!deletes(wanted) || (sharing & FILE_SHARE_DELETE));
    };
    return !allowedBy(access, otherShare) || !allowedBy(otherAccess, share);
}

// True when an entry of the table (the lock held) conflicts with this access and sharing.
bool refusedLocked(const ShareTable& table, const OpenFileKey& key, DWORD access, DWORD share) {
    for (const ShareEntry& entry : table.entries) {
        if (sameFile(entry.key, key) && conflict(access, share, entry.access, entry.share)) {
            return true;
        }
    }
    return false;
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
        SetLastError(ERROR_PATH_NOT_FOUND);
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
    if (refusedLocked(table, key, access, share)) {
        return false;
    }
    table.entries.push_back(ShareEntry{key, access, share, owner});
    table.count.store(table.entries.size());
    return true;
}

bool shareTableRefuses(const OpenFileKey& key, DWORD access, DWORD share) {
    ShareTable& table = shareTable();
    if (table.count.load() == 0) {
        return false;
    }
    std::lock_guard<std::mutex> lock(table.mutex);
    return refusedLocked(table, key, access, share);
}

void shareTableRemove(const void* owner) {
    ShareTable& table = shareTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    table.entries.remove_if([owner](const ShareEntry& entry) { return entry.owner == owner; });
    table.count.store(table.entries.size());
}

bool shareTableBlocksDelete(const OpenFileKey& key) {
    return shareTableRefuses(key, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
}

bool shareTableHolds(const OpenFileKey& key) {
    ShareTable& table = shareTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    for (const ShareEntry& entry : table.entries) {
        if (sameFile(entry.key, key) && sharedAccess(entry.access)) {
            return true;
        }
    }
    return false;
}

} // namespace ovs::posix
