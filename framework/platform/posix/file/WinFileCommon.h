// POSIX substitute: what the file functions share among themselves: file times, attributes of
// a Unix entry in Windows terms, and the in-process table of open files that gives share modes
// their effect between the handles of this process.
#pragma once
#include "platform/posix/file/WinFile.h"

#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>

namespace ovs::posix {

// 100-nanosecond units since 1601-01-01 from a Unix time and back.
FILETIME fileTimeFrom(const struct timespec& time);
struct timespec timespecFrom(const FILETIME& time);

// The Windows attributes of an entry: DIRECTORY or ARCHIVE, READONLY without the owner's write
// permission, HIDDEN when the name starts with "." (the names "." and ".." excepted).
DWORD attributesOf(const struct stat& info, const std::string& name);

// FILE_ATTRIBUTE_HIDDEN for a name that starts with "." ("." and ".." excepted), else 0.
DWORD hiddenByName(const std::string& name);

// The Unix path of a file name given to CreateFileA, DeleteFileA or GetFileAttributesA: false
// with their last error for a null or empty name (3; GetFileAttributesA reports an empty name
// as 2 itself) or one that cannot be a path.
bool unixPathOfFileName(LPCSTR fileName, std::string& path);

// Fills a find record from an entry's status and its name.
void fillFindData(const struct stat& info, const std::string& name, WIN32_FIND_DATAA& data);

// The share table: one entry per open handle, keyed by device and inode.
struct OpenFileKey {
    dev_t device;
    ino_t inode;
};
// Records an opening unless an existing handle's access and sharing forbid it (or this one's
// sharing forbids an existing handle's access): then false, nothing recorded.
bool shareTableAdd(const OpenFileKey& key, DWORD access, DWORD share, const void* owner);
void shareTableRemove(const void* owner);
// True when an opening with this access and sharing would be refused, as shareTableAdd
// decides, without recording one: the private-profile functions and the renames open the
// file only for a moment, as Windows' own implementations do.
bool shareTableRefuses(const OpenFileKey& key, DWORD access, DWORD share);
// True when some handle of this process holds the file without FILE_SHARE_DELETE.
bool shareTableBlocksDelete(const OpenFileKey& key);
// True when some handle of this process holds the file with any data or delete access: a
// rename onto it is refused (ERROR_ACCESS_DENIED), as Windows refuses to replace a file in use.
bool shareTableHolds(const OpenFileKey& key);

} // namespace ovs::posix
