// POSIX substitute: the folder lock and the rename-over rewrite of a whole file.
#include "platform/posix/base/AtomicRewrite.h"
#include "platform/posix/base/KernelObjects.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ovs::posix {

namespace {

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

DWORD failure(int error) {
    return error == ENOENT ? ERROR_PATH_NOT_FOUND : errorFromErrno(error);
}

// Reads to the end; a short read of a regular file is its end.
bool readAll(int fd, bool regular, std::string& bytes) {
    bytes.clear();
    char chunk[16384];
    for (;;) {
        ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (got == 0) {
            return true;
        }
        bytes.append(chunk, static_cast<std::size_t>(got));
        if (regular && static_cast<std::size_t>(got) < sizeof chunk) {
            return true;
        }
    }
}

} // namespace

DWORD readWholeFile(const std::string& path, std::string& bytes, struct stat* status) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errorFromErrno(errno);
    }
    struct stat own {};
    struct stat& info = status != nullptr ? *status : own;
    DWORD result = ERROR_SUCCESS;
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        result = ERROR_ACCESS_DENIED;
    } else if (!readAll(fd, S_ISREG(info.st_mode), bytes)) {
        result = errorFromErrno(errno);
    }
    ::close(fd);
    return result;
}

bool fileMayBeRewritten(const std::string& path, const struct stat& status) {
    return (status.st_mode & 0222) != 0 && ::access(path.c_str(), W_OK) == 0;
}

FolderLock::FolderLock(const std::string& folder) : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ < 0) {
        openError_ = errno;
        return;
    }
    // Anyone who may read the folder may lock it, another user too: the lock is waited for a
    // bounded time, then the write fails as one on a file another process holds would.
    auto deadline = std::chrono::steady_clock::now() + FolderLock::LongestWait;
    auto pause = std::chrono::milliseconds(1);
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            break; // a file system without locks: the write goes on unlocked, as before
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(fd_);
            fd_ = -1;
            openError_ = EBUSY; // ERROR_SHARING_VIOLATION
            return;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(20));
    }
}

FolderLock::~FolderLock() {
    if (fd_ >= 0) {
        ::close(fd_); // releases the lock
    }
}

DWORD replaceFile(const std::string& path, const std::string& bytes, int mode) {
    static std::atomic<unsigned> counter{0};
    std::size_t slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    // A name near the system's limit of 255 bytes leaves room for the suffix.
    std::string name = path.substr(folder.size()).substr(0, 200);
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temporary = folder + "." + name + ".~" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt >= 100)) {
            return failure(errno);
        }
    }
    bool written = (mode < 0 || ::fchmod(fd, static_cast<mode_t>(mode)) == 0) && writeAll(fd, bytes);
    int error = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written && ::rename(temporary.c_str(), path.c_str()) == 0) {
        return ERROR_SUCCESS;
    }
    if (written) {
        error = errno;
    }
    ::unlink(temporary.c_str());
    return failure(error);
}

} // namespace ovs::posix
