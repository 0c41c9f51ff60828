// POSIX substitute: file handles. CreateFileA opens a Unix file descriptor behind a kernel
// object; reading, writing, positioning, sizes, flushing, truncation and file times act on it
// with Windows' results and last-error codes.
#include "platform/posix/base/KernelObjects.h"
#include "platform/posix/file/WinFileCommon.h"
#include "platform/posix/file/ZPath.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The access rights that let a handle read, and those that let it write.
constexpr DWORD ReadAccess = GENERIC_READ | GENERIC_ALL | FILE_READ_DATA;
constexpr DWORD WriteAccess = GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA;

class FileObject : public ovs::posix::KernelObject {
public:
    FileObject(int descriptor, DWORD access, bool regular)
        : descriptor_(descriptor), access_(access), regular_(regular) {}
    ~FileObject() override {
        ovs::posix::shareTableRemove(this);
        ::close(descriptor_);
    }
    int descriptor() const { return descriptor_; }
    bool allows(bool writing) const { return (access_ & (writing ? WriteAccess : ReadAccess)) != 0; }
    // A regular file: a read that gives less than asked has reached its end.
    bool regular() const { return regular_; }

private:
    int descriptor_;
    DWORD access_;
    bool regular_;
};

FileObject* fileOf(HANDLE handle) {
    FileObject* file = ovs::posix::lookupHandleAs<FileObject>(handle);
    if (file == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return file;
}

// The file of a handle opened for writing (or reading); else null, with the last error set.
FileObject* fileAllowing(HANDLE handle, bool writing) {
    FileObject* file = fileOf(handle);
    if (file != nullptr && !file->allows(writing)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return file;
}

int openFlagsFor(DWORD access) {
    bool reads = (access & ReadAccess) != 0;
    bool writes = (access & WriteAccess) != 0;
    if (reads && writes) {
        return O_RDWR;
    }
    return writes ? O_WRONLY : O_RDONLY;
}

// Moves `count` bytes with `step` (a read or a write on the descriptor) until all are moved, the
// file ends or an error stops it; as on Windows, the bytes moved are reported even on failure.
// A short read of a regular file is its end: it is not asked once more to say so.
template <typename Step> BOOL transfer(HANDLE handle, bool writing, DWORD count, LPDWORD moved, Step step) {
    FileObject* file = fileAllowing(handle, writing);
    if (moved != nullptr) {
        *moved = 0;
    }
    if (file == nullptr) {
        return FALSE;
    }
    DWORD total = 0;
    BOOL succeeded = TRUE;
    while (total < count) {
        ssize_t done = step(file->descriptor(), total, count - total);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done < 0) {
            SetLastError(!writing && errno == EISDIR ? ERROR_INVALID_FUNCTION : ovs::posix::errorFromErrno(errno));
            succeeded = FALSE;
            break;
        }
        if (done == 0) {
            break;
        }
        total += static_cast<DWORD>(done);
        if (!writing && file->regular() && total < count) {
            break;
        }
    }
    if (moved != nullptr) {
        *moved = total;
    }
    return succeeded;
}

} // namespace

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE) {
    if (creationDisposition < CREATE_NEW || creationDisposition > TRUNCATE_EXISTING) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    int flags = openFlagsFor(desiredAccess) | O_CLOEXEC;
    bool writes = (flags & O_ACCMODE) != O_RDONLY;
    if (creationDisposition == TRUNCATE_EXISTING && !writes) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string path;
    if (!ovs::posix::unixPathOfFileName(fileName, path)) {
        return INVALID_HANDLE_VALUE;
    }
    if (flagsAndAttributes & FILE_FLAG_WRITE_THROUGH) {
        flags |= O_DSYNC;
    }
    mode_t permissions = (flagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;

    int descriptor = -1;
    struct stat info {};
    bool existed = false;
    bool openedAtOnce = false;
    if (creationDisposition == OPEN_EXISTING && !writes) {
        // Reading an existing file needs no look beforehand: the status of what was opened
        // tells a folder apart, and a failed open leaves the errno the status call would have.
        descriptor = ::open(path.c_str(), flags);
        existed = descriptor >= 0 && ::fstat(descriptor, &info) == 0;
        openedAtOnce = existed;
        if (descriptor >= 0 && (!existed || S_ISDIR(info.st_mode))) {
            ::close(descriptor);
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        if (descriptor < 0 && errno == EACCES) {
            existed = ::stat(path.c_str(), &info) == 0; // the open below decides as before
        }
    } else {
        existed = ::stat(path.c_str(), &info) == 0;
    }
    if (existed && descriptor < 0 && S_ISDIR(info.st_mode)) {
        SetLastError(creationDisposition == CREATE_NEW ? ERROR_FILE_EXISTS : ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    if (existed && creationDisposition != CREATE_NEW && (info.st_mode & S_IWUSR) == 0 &&
        (writes || creationDisposition == CREATE_ALWAYS)) {
        SetLastError(ERROR_ACCESS_DENIED); // read-only, also for the superuser
        return INVALID_HANDLE_VALUE;
    }
    if (existed && creationDisposition == CREATE_NEW) {
        SetLastError(ERROR_FILE_EXISTS);
        return INVALID_HANDLE_VALUE;
    }
    if (!existed && (creationDisposition == OPEN_EXISTING || creationDisposition == TRUNCATE_EXISTING)) {
        SetLastError(ovs::posix::errorForPath(errno, path));
        return INVALID_HANDLE_VALUE;
    }

    bool created = false;
    if (!existed) {
        // Created here, or (lost a race) opened as an existing file below.
        descriptor = ::open(path.c_str(), flags | O_CREAT | O_EXCL, permissions);
        created = descriptor >= 0;
        if (descriptor < 0 && (errno != EEXIST || creationDisposition == CREATE_NEW)) {
            SetLastError(errno == EEXIST ? ERROR_FILE_EXISTS : ovs::posix::errorForPath(errno, path));
            return INVALID_HANDLE_VALUE;
        }
    }
    if (descriptor < 0) {
        descriptor = ::open(path.c_str(), flags);
        if (descriptor < 0 && errno == EACCES && (flags & O_ACCMODE) == O_RDONLY &&
            (desiredAccess & (GENERIC_READ | GENERIC_ALL | FILE_READ_DATA)) == 0) {
            descriptor = ::open(path.c_str(), O_PATH | O_CLOEXEC); // attributes only
        }
        if (descriptor < 0) {
            SetLastError(ovs::posix::errorForPath(errno, path));
            return INVALID_HANDLE_VALUE;
        }
    }
    struct stat opened = info;
    if (!openedAtOnce) {
        ::fstat(descriptor, &opened);
    }
    auto object = std::make_unique<FileObject>(descriptor, desiredAccess, S_ISREG(opened.st_mode));
    if (!ovs::posix::shareTableAdd({opened.st_dev, opened.st_ino}, desiredAccess, shareMode, object.get())) {
        object.reset();
        if (created) {
            ::unlink(path.c_str());
        }
        SetLastError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
    }
    bool truncate = !created && (creationDisposition == CREATE_ALWAYS || creationDisposition == TRUNCATE_EXISTING);
    if (truncate && ::ftruncate(descriptor, 0) != 0) {
        SetLastError(ovs::posix::errorFromErrno(errno));
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = ovs::posix::registerHandle(std::move(object));
    bool reportExisting = !created && (creationDisposition == CREATE_ALWAYS || creationDisposition == OPEN_ALWAYS);
    SetLastError(reportExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

BOOL ReadFile(HANDLE handle, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED) {
    return transfer(handle, false, bytesToRead, bytesRead, [buffer](int descriptor, DWORD at, DWORD count) {
        return ::read(descriptor, static_cast<char*>(buffer) + at, count);
    });
}

BOOL WriteFile(HANDLE handle, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, LPOVERLAPPED) {
    return transfer(handle, true, bytesToWrite, bytesWritten, [buffer](int descriptor, DWORD at, DWORD count) {
        return ::write(descriptor, static_cast<const char*>(buffer) + at, count);
    });
}

DWORD SetFilePointer(HANDLE handle, LONG distanceToMove, PLONG distanceToMoveHigh, DWORD moveMethod) {
    FileObject* file = fileOf(handle);
    if (file == nullptr) {
        return INVALID_SET_FILE_POINTER;
    }
    std::int64_t distance = distanceToMove; // sign-extended when there is no high part
    if (distanceToMoveHigh != nullptr) {
        distance =
            static_cast<std::int64_t>((static_cast<std::uint64_t>(static_cast<DWORD>(*distanceToMoveHigh)) << 32) |
                                      static_cast<DWORD>(distanceToMove));
    }
    std::int64_t base = 0;
    if (moveMethod == FILE_CURRENT) {
        base = ::lseek(file->descriptor(), 0, SEEK_CUR);
    } else if (moveMethod == FILE_END) {
        struct stat info;
        base = ::fstat(file->descriptor(), &info) == 0 ? info.st_size : 0;
    } else if (moveMethod != FILE_BEGIN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    std::int64_t target = base + distance;
    if (target < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceToMoveHigh == nullptr && target > 0xFFFFFFFFLL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (::lseek(file->descriptor(), static_cast<off_t>(target), SEEK_SET) < 0) {
        SetLastError(ovs::posix::errorFromErrno(errno));
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceToMoveHigh != nullptr) {
        *distanceToMoveHigh = static_cast<LONG>(static_cast<std::uint64_t>(target) >> 32);
    }
    DWORD low = static_cast<DWORD>(static_cast<std::uint64_t>(target) & 0xFFFFFFFFu);
    if (low == INVALID_SET_FILE_POINTER) {
        SetLastError(ERROR_SUCCESS); // tells a valid position from a failure
    }
    return low;
}

BOOL GetFileSizeEx(HANDLE handle, PLARGE_INTEGER size) {
    FileObject* file = fileOf(handle);
    if (file == nullptr) {
        return FALSE;
    }
    struct stat info;
    if (::fstat(file->descriptor(), &info) != 0) {
        SetLastError(ovs::posix::errorFromErrno(errno));
        return FALSE;
    }
    size->QuadPart = info.st_size;
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE handle) {
    FileObject* file = fileAllowing(handle, true);
    if (file == nullptr) {
        return FALSE;
    }
    if (::fsync(file->descriptor()) != 0) {
        SetLastError(ovs::posix::errorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL SetEndOfFile(HANDLE handle) {
    FileObject* file = fileAllowing(handle, true);
    if (file == nullptr) {
        return FALSE;
    }
    off_t position = ::lseek(file->descriptor(), 0, SEEK_CUR);
    if (position < 0 || ::ftruncate(file->descriptor(), position) != 0) {
        SetLastError(ovs::posix::errorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL GetFileTime(HANDLE handle, LPFILETIME creationTime, LPFILETIME lastAccessTime, LPFILETIME lastWriteTime) {
    FileObject* file = fileOf(handle);
    if (file == nullptr) {
        return FALSE;
    }
    struct stat info;
    if (::fstat(file->descriptor(), &info) != 0) {
        SetLastError(ovs::posix::errorFromErrno(errno));
        return FALSE;
    }
    // Unix keeps no creation time that can be set; the last write stands in for it.
    if (creationTime != nullptr) {
        *creationTime = ovs::posix::fileTimeFrom(info.st_mtim);
    }
    if (lastAccessTime != nullptr) {
        *lastAccessTime = ovs::posix::fileTimeFrom(info.st_atim);
    }
    if (lastWriteTime != nullptr) {
        *lastWriteTime = ovs::posix::fileTimeFrom(info.st_mtim);
    }
    return TRUE;
}

BOOL SetFileTime(HANDLE handle, const FILETIME*, const FILETIME* lastAccessTime, const FILETIME* lastWriteTime) {
    FileObject* file = fileAllowing(handle, true);
    if (file == nullptr) {
        return FALSE;
    }
    struct timespec times[2];
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_nsec = UTIME_OMIT;
    if (lastAccessTime != nullptr) {
        times[0] = ovs::posix::timespecFrom(*lastAccessTime);
    }
    if (lastWriteTime != nullptr) {
        times[1] = ovs::posix::timespecFrom(*lastWriteTime);
    }
    if (::futimens(file->descriptor(), times) != 0) {
        SetLastError(ovs::posix::errorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}
