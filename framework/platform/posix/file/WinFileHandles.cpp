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
// With an OVERLAPPED record the transfer starts at its offset, and the file's position is left
// after the bytes moved, as a handle opened for synchronous use does on Windows; such a read
// that finds nothing to read fails with ERROR_HANDLE_EOF (a read without one succeeds).
template <typename Step>
BOOL transfer(HANDLE handle, bool writing, DWORD count, LPDWORD moved, LPOVERLAPPED overlapped, Step step) {
    FileObject* file = fileAllowing(handle, writing);
    if (moved != nullptr) {
        *moved = 0;
    }
    if (file == nullptr) {
        return FALSE;
    }
    if (overlapped != nullptr) {
        const std::uint64_t offset = (static_cast<std::uint64_t>(overlapped->OffsetHigh) << 32) | overlapped->Offset;
        if (offset > static_cast<std::uint64_t>(INT64_MAX) ||
            ::lseek(file->descriptor(), static_cast<off_t>(offset), SEEK_SET) < 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
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
    if (succeeded && overlapped != nullptr && !writing && count > 0 && total == 0) {
        SetLastError(ERROR_HANDLE_EOF); // a read at an offset at or past the end fails
        return FALSE;
    }
    return succeeded;
}

// What CreateFileA is asked for, once its arguments are checked.
struct OpenRequest {
    std::string path; // the Unix path
    DWORD access;
    DWORD disposition;
    int flags;          // open(2) flags for the access
    mode_t permissions; // of a file created
    bool writes() const { return (flags & O_ACCMODE) != O_RDONLY; }
    // The dispositions that need the file to exist, and those that empty an existing one.
    bool needsExisting() const { return disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING; }
    bool truncates() const { return disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING; }
};

// The file opened for a request: its descriptor and status, and whether it was made new.
struct Opened {
    int descriptor = -1;
    struct stat status {};
    bool created = false;
};

// Checks the arguments; false, with the last error, for an unknown disposition or
// TRUNCATE_EXISTING without GENERIC_WRITE (87: FILE_WRITE_DATA alone does not do, as Windows
// asks for the generic right), or a name that cannot be a path.
bool requestFor(LPCSTR fileName, DWORD access, DWORD disposition, DWORD flagsAndAttributes, OpenRequest& request) {
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING ||
        (disposition == TRUNCATE_EXISTING && (access & GENERIC_WRITE) == 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (!ovs::posix::unixPathOfFileName(fileName, request.path)) {
        return false;
    }
    request.access = access;
    request.disposition = disposition;
    request.flags = openFlagsFor(access) | O_CLOEXEC | ((flagsAndAttributes & FILE_FLAG_WRITE_THROUGH) ? O_DSYNC : 0);
    request.permissions = (flagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    return true;
}

// Why the disposition refuses what is at the path (ERROR_SUCCESS when it does not): a folder is
// never opened as a file (5, also for CREATE_NEW); an existing file is no new one (80); a
// read-only file is neither written nor replaced (5, also for the superuser); a missing file
// cannot be opened or emptied (2, or 3 for a missing folder on the way).
DWORD refusalFor(const OpenRequest& request, bool exists, const struct stat& info, int lookError) {
    if (!exists) {
        return request.needsExisting() ? ovs::posix::errorForPath(lookError, request.path) : ERROR_SUCCESS;
    }
    if (S_ISDIR(info.st_mode)) {
        return ERROR_ACCESS_DENIED;
    }
    if (request.disposition == CREATE_NEW) {
        return ERROR_FILE_EXISTS;
    }
    bool readOnly = (info.st_mode & S_IWUSR) == 0;
    return readOnly && (request.writes() || request.disposition == CREATE_ALWAYS) ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
}

// Takes the status of the file opened; false, with the last error, when it cannot be had.
bool statusTaken(Opened& opened) {
    if (::fstat(opened.descriptor, &opened.status) != 0) {
        SetLastError(ovs::posix::errorFromErrno(errno));
        return false;
    }
    return true;
}

// Opens an existing file. A handle without read or write access (attributes only, or DELETE)
// also opens a file that may not be read.
bool openExisting(const OpenRequest& request, Opened& opened) {
    opened.descriptor = ::open(request.path.c_str(), request.flags);
    if (opened.descriptor < 0 && errno == EACCES && !request.writes() && (request.access & ReadAccess) == 0) {
        opened.descriptor = ::open(request.path.c_str(), O_PATH | O_CLOEXEC);
    }
    if (opened.descriptor < 0) {
        SetLastError(ovs::posix::errorForPath(errno, request.path));
        return false;
    }
    return statusTaken(opened);
}

// Reading an existing file needs no look beforehand: the status of what was opened tells a
// folder apart, and a failed open leaves the errno a look would have left. True when it
// decided (opened, or refused with the last error set); false when the general way decides.
bool openedForReadingAtOnce(const OpenRequest& request, Opened& opened, bool& succeeded) {
    if (request.disposition != OPEN_EXISTING || request.writes()) {
        return false;
    }
    opened.descriptor = ::open(request.path.c_str(), request.flags);
    if (opened.descriptor < 0) {
        if (errno == EACCES) {
            return false; // a file that may not be read: the general way decides
        }
        SetLastError(ovs::posix::errorForPath(errno, request.path));
        succeeded = false;
        return true;
    }
    succeeded = ::fstat(opened.descriptor, &opened.status) == 0 && !S_ISDIR(opened.status.st_mode);
    if (!succeeded) {
        ::close(opened.descriptor);
        opened.descriptor = -1;
        SetLastError(ERROR_ACCESS_DENIED);
    }
    return true;
}

// Opens the file as the request's disposition says; false, with the last error, when refused.
bool openFor(const OpenRequest& request, Opened& opened) {
    bool succeeded = false;
    if (openedForReadingAtOnce(request, opened, succeeded)) {
        return succeeded;
    }
    struct stat info {};
    bool exists = ::stat(request.path.c_str(), &info) == 0;
    if (DWORD refusal = refusalFor(request, exists, info, errno); refusal != ERROR_SUCCESS) {
        SetLastError(refusal);
        return false;
    }
    if (exists) {
        return openExisting(request, opened);
    }
    // Created here, or (another process made it in between) opened as an existing file.
    opened.descriptor = ::open(request.path.c_str(), request.flags | O_CREAT | O_EXCL, request.permissions);
    if (opened.descriptor >= 0) {
        opened.created = true;
        return statusTaken(opened);
    }
    if (errno != EEXIST || request.disposition == CREATE_NEW) {
        SetLastError(errno == EEXIST ? ERROR_FILE_EXISTS : ovs::posix::errorForPath(errno, request.path));
        return false;
    }
    return openExisting(request, opened);
}

// Empties an existing file for CREATE_ALWAYS and TRUNCATE_EXISTING. A handle that may not
// write (CREATE_ALWAYS with GENERIC_READ or no access at all) still replaces the file, as on
// Windows: the file is cut through its name.
bool truncateOpened(const OpenRequest& request, const Opened& opened) {
    int result = request.writes() ? ::ftruncate(opened.descriptor, 0) : ::truncate(request.path.c_str(), 0);
    if (result != 0) {
        SetLastError(ovs::posix::errorFromErrno(errno));
        return false;
    }
    return true;
}

// Makes the handle of a file opened: recorded in the share table (32 when a handle of this
// process stands in the way, and a file just created is removed again), emptied where the
// disposition says, and the last error set: 183 for an existing file CREATE_ALWAYS or
// OPEN_ALWAYS found, else 0.
HANDLE handleFor(const OpenRequest& request, DWORD shareMode, Opened& opened) {
    auto object = std::make_unique<FileObject>(opened.descriptor, request.access, S_ISREG(opened.status.st_mode));
    if (!ovs::posix::shareTableAdd({opened.status.st_dev, opened.status.st_ino}, request.access, shareMode,
                                   object.get())) {
        object.reset();
        if (opened.created) {
            ::unlink(request.path.c_str());
        }
        SetLastError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
    }
    if (!opened.created && request.truncates() && !truncateOpened(request, opened)) {
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = ovs::posix::registerHandle(std::move(object));
    bool reportExisting =
        !opened.created && (request.disposition == CREATE_ALWAYS || request.disposition == OPEN_ALWAYS);
    SetLastError(reportExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

} // namespace

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE) {
    OpenRequest request;
    if (!requestFor(fileName, desiredAccess, creationDisposition, flagsAndAttributes, request)) {
        return INVALID_HANDLE_VALUE;
    }
    Opened opened;
    if (!openFor(request, opened)) {
        if (opened.descriptor >= 0) {
            ::close(opened.descriptor);
        }
        return INVALID_HANDLE_VALUE;
    }
    return handleFor(request, shareMode, opened);
}

BOOL ReadFile(HANDLE handle, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED overlapped) {
    return transfer(handle, false, bytesToRead, bytesRead, overlapped, [buffer](int descriptor, DWORD at, DWORD count) {
        return ::read(descriptor, static_cast<char*>(buffer) + at, count);
    });
}

BOOL WriteFile(HANDLE handle, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, LPOVERLAPPED overlapped) {
    return transfer(handle, true, bytesToWrite, bytesWritten, overlapped,
                    [buffer](int descriptor, DWORD at, DWORD count) {
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
