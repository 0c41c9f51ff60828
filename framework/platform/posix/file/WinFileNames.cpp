// POSIX substitute: operations on names in the file system: deleting and renaming files,
// creating folders and reading attributes.
#include "platform/posix/base/KernelObjects.h"
#include "platform/posix/file/WinFileCommon.h"
#include "platform/posix/file/ZPath.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string lastComponent(const std::string& unixPath) {
    std::size_t slash = unixPath.find_last_of('/');
    return slash == std::string::npos ? unixPath : unixPath.substr(slash + 1);
}

} // namespace

BOOL DeleteFileA(LPCSTR fileName) {
    std::string path;
    if (!ovs::posix::unixPathOfFileName(fileName, path)) {
        return FALSE;
    }
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0) {
        SetLastError(ovs::posix::errorForPath(errno, path));
        return FALSE;
    }
    if (S_ISDIR(info.st_mode) || (S_ISREG(info.st_mode) && (info.st_mode & S_IWUSR) == 0)) {
        SetLastError(ERROR_ACCESS_DENIED); // folders, and read-only files
        return FALSE;
    }
    if (ovs::posix::shareTableBlocksDelete({info.st_dev, info.st_ino})) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    if (::unlink(path.c_str()) != 0) {
        SetLastError(ovs::posix::errorForPath(errno, path));
        return FALSE;
    }
    return TRUE;
}

BOOL CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES) {
    std::string path;
    if (pathName == nullptr || *pathName == '\0') {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (!ovs::posix::unixPathOfFull(pathName, path)) {
        return FALSE;
    }
    if (::mkdir(path.c_str(), 0777) != 0) {
        int error = errno;
        if (error == EEXIST) {
            SetLastError(path == "/" ? ERROR_ACCESS_DENIED : ERROR_ALREADY_EXISTS);
        } else if (error == ENOENT || error == ENOTDIR) {
            SetLastError(ERROR_PATH_NOT_FOUND);
        } else {
            SetLastError(ovs::posix::errorFromErrno(error));
        }
        return FALSE;
    }
    return TRUE;
}

BOOL MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags) {
    std::string from;
    std::string to;
    if (existingFileName == nullptr || newFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!ovs::posix::unixPathOfFull(existingFileName, from) || !ovs::posix::unixPathOfFull(newFileName, to)) {
        return FALSE;
    }
    struct stat source;
    if (::lstat(from.c_str(), &source) != 0) {
        SetLastError(ovs::posix::errorForPath(errno, from));
        return FALSE;
    }
    if (from == to) {
        return TRUE; // a file moved onto its own name stays as it is
    }
    // Renaming opens the source for DELETE access: a handle of this process that does not
    // share deleting refuses it.
    if (ovs::posix::shareTableBlocksDelete({source.st_dev, source.st_ino})) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    struct stat target;
    bool targetExists = ::lstat(to.c_str(), &target) == 0;
    if (targetExists && (flags & MOVEFILE_REPLACE_EXISTING) == 0) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    if (targetExists && (S_ISDIR(target.st_mode) || (S_ISREG(target.st_mode) && (target.st_mode & S_IWUSR) == 0))) {
        SetLastError(ERROR_ACCESS_DENIED); // folders, and read-only files
        return FALSE;
    }
    if (targetExists && ovs::posix::shareTableHolds({target.st_dev, target.st_ino})) {
        SetLastError(ERROR_ACCESS_DENIED); // a file held open is not replaced, whatever it shares
        return FALSE;
    }
    int result = 0;
    if (flags & MOVEFILE_REPLACE_EXISTING) {
        result = ::rename(from.c_str(), to.c_str());
    } else {
        // The test above only answers early; the kernel decides atomically.
        result = ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
        if (result != 0 && (errno == EINVAL || errno == ENOSYS) && !S_ISDIR(source.st_mode)) {
            // A file system without the no-replace rename: a new link fails on an existing name.
            result = ::link(from.c_str(), to.c_str());
            if (result == 0) {
                ::unlink(from.c_str());
            }
        }
    }
    if (result != 0) {
        int error = errno;
        SetLastError(error == EEXIST  ? ERROR_ALREADY_EXISTS
                     : error == EXDEV ? ERROR_NOT_SAME_DEVICE
                                      : ovs::posix::errorForPath(error, to));
        return FALSE;
    }
    return TRUE;
}

DWORD GetFileAttributesA(LPCSTR fileName) {
    std::string path;
    if (fileName != nullptr && *fileName == '\0') {
        SetLastError(ERROR_FILE_NOT_FOUND); // unlike CreateFileA's and DeleteFileA's 3
        return INVALID_FILE_ATTRIBUTES;
    }
    if (!ovs::posix::unixPathOfFileName(fileName, path)) {
        return INVALID_FILE_ATTRIBUTES;
    }
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        SetLastError(ovs::posix::errorForPath(errno, path));
        return INVALID_FILE_ATTRIBUTES;
    }
    return ovs::posix::attributesOf(info, lastComponent(path));
}
