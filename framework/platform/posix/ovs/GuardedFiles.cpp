// Files that other programs may write as well, on POSIX: O_EXCL and O_NOFOLLOW for what a run
// makes, lstat for what a name is, O_NONBLOCK for a reader that must not wait on a FIFO.
#include "platform/GuardedFiles.h"
#include "platform/posix/base/KernelObjects.h"
#include "platform/posix/file/WinFileCommon.h"
#include "platform/posix/file/ZPath.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ovs::platform {

namespace {

FileIdentity identityOf(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

} // namespace

DWORD createFileWith(const std::string& path, const std::string& bytes, FileIdentity& identity) {
    std::string unixPath;
    if (!ovs::posix::unixPathOfFileName(path.c_str(), unixPath)) {
        return GetLastError();
    }
    int fd = ::open(unixPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        return errno == EEXIST ? ERROR_FILE_EXISTS : ovs::posix::errorForPath(errno, unixPath);
    }
    struct stat info {};
    bool written = ::fstat(fd, &info) == 0 && writeAll(fd, bytes);
    int error = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    identity = identityOf(info);
    if (!written) {
        removeOwnFile(path, identity);
        return ovs::posix::errorFromErrno(error);
    }
    return ERROR_SUCCESS;
}

bool regularFileIdentity(const std::string& path, FileIdentity& identity) {
    std::string unixPath;
    struct stat info {};
    if (!ovs::posix::unixPathOfFileName(path.c_str(), unixPath) || ::lstat(unixPath.c_str(), &info) != 0 ||
        !S_ISREG(info.st_mode)) {
        return false;
    }
    identity = identityOf(info);
    return true;
}

bool removeOwnFile(const std::string& path, const FileIdentity& identity) {
    FileIdentity now;
    std::string unixPath;
    return regularFileIdentity(path, now) && now == identity &&
           ovs::posix::unixPathOfFileName(path.c_str(), unixPath) && ::unlink(unixPath.c_str()) == 0;
}

RegularFileReader::RegularFileReader(const std::string& path) {
    open(path);
}

DWORD RegularFileReader::open(const std::string& path) {
    std::string unixPath;
    if (!ovs::posix::unixPathOfFileName(path.c_str(), unixPath)) {
        error_ = GetLastError();
        return error_;
    }
    // O_NONBLOCK: a FIFO opens at once instead of waiting for a writer, and is then refused.
    int fd = ::open(unixPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error_ = ovs::posix::errorForPath(errno, unixPath);
        return error_;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        error_ = ErrorNotARegularFile;
        return error_;
    }
    // O_NONBLOCK stays: a regular file's reads do not wait on it.
    handle_ = fd;
    open_ = true;
    return ERROR_SUCCESS;
}

RegularFileReader::~RegularFileReader() {
    if (open_) {
        ::close(static_cast<int>(handle_));
    }
}

bool RegularFileReader::status(std::int64_t& modified, std::uint64_t& size) {
    struct stat info {};
    if (!open_ || ::fstat(static_cast<int>(handle_), &info) != 0) {
        error_ = open_ ? ovs::posix::errorFromErrno(errno) : ERROR_INVALID_HANDLE;
        return false;
    }
    modified = static_cast<std::int64_t>(info.st_mtime);
    size = static_cast<std::uint64_t>(info.st_size);
    return true;
}

long RegularFileReader::readOnce(char* buffer, std::size_t count) {
    if (!open_) {
        error_ = ERROR_INVALID_HANDLE;
        return -1;
    }
    for (;;) {
        ssize_t got = ::read(static_cast<int>(handle_), buffer, count);
        if (got >= 0) {
            return static_cast<long>(got);
        }
        if (errno != EINTR) {
            error_ = ovs::posix::errorFromErrno(errno);
            return -1;
        }
    }
}

bool othersMaySwapEntries(const std::string& folder) {
    std::string unixPath;
    struct stat info {};
    if (!ovs::posix::unixPathOfFileName(folder.c_str(), unixPath) || ::stat(unixPath.c_str(), &info) != 0) {
        return false; // nothing there to refuse: the writes themselves fail
    }
    return (info.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (info.st_mode & S_ISVTX) == 0;
}

} // namespace ovs::platform
