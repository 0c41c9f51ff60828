// POSIX substitute: locating, reading and atomically rewriting private-profile files.
#include "platform/posix/profile/ProfileStore.h"
#include "platform/posix/base/AtomicRewrite.h"
#include "platform/posix/base/FileEncoding.h"
#include "platform/posix/base/KernelObjects.h"
#include "platform/posix/file/WinFileCommon.h"
#include "platform/posix/file/ZPath.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ovs::posix {

namespace {

std::string folderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Reads the file at path; false with the Windows error as last error.
bool readFile(const std::string& path, std::string& bytes, struct stat* status = nullptr) {
    DWORD error = readWholeFile(path, bytes, status);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return false;
    }
    return true;
}

} // namespace

bool resolveProfileLocation(const char* fileName, ProfileLocation& location) {
    location.unixPath.clear(); // its buffer is kept for the new path
    location.inWindowsDirectory = false;
    const char* name = fileName != nullptr ? fileName : "win.ini";
    if (std::strpbrk(name, "\\/:") == nullptr) {
        std::string folder = windowsDirectory();
        if (folder.empty()) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return false;
        }
        location.inWindowsDirectory = true;
        location.unixPath = name[0] == '\0' ? folder : folder + "/" + name;
        return true;
    }
    return unixPathFrom(name, location.unixPath);
}

bool readProfileText(const ProfileLocation& location, std::string& text, struct stat* status) {
    if (!readFile(location.unixPath, text, status)) {
        return false;
    }
    if (fileEncodingOf(text) == FileEncoding::Utf16LE) {
        text = textFromFileBytes(text);
    }
    return true;
}

bool updateProfile(const ProfileLocation& location, const std::function<void(ProfileText&)>& edit) {
    std::string target = location.unixPath;
    std::string folder = folderOf(target);
    if (location.inWindowsDirectory) {
        // On Windows the Windows directory always exists, so an empty name names a folder and
        // is refused; create the folder itself, not just the parent of the target.
        std::error_code ignored;
        std::filesystem::create_directories(windowsDirectory(), ignored);
    }
    // Every writer of this layer takes the folder's lock for its whole read-modify-write.
    FolderLock lock(folder);
    if (!lock.held()) {
        int error = lock.openError();
        SetLastError(error == ENOENT || error == ENOTDIR ? ERROR_PATH_NOT_FOUND : errorFromErrno(error));
        return false;
    }

    struct stat status;
    bool exists = ::lstat(target.c_str(), &status) == 0;
    if (exists && S_ISLNK(status.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(target.c_str(), resolved) != nullptr) {
            target = resolved; // rewrite the file the link points to, keep the link
        }
        exists = ::stat(target.c_str(), &status) == 0;
    }
    if (!exists && errno != ENOENT) {
        SetLastError(errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : errorFromErrno(errno));
        return false;
    }
    if (exists && S_ISDIR(status.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }

    std::string bytes;
    if (exists) {
        // Windows opens the file for reading and writing, sharing both: a handle of this
        // process that does not share them refuses the write (ERROR_SHARING_VIOLATION).
        if (shareTableRefuses({status.st_dev, status.st_ino}, GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE)) {
            SetLastError(ERROR_SHARING_VIOLATION);
            return false;
        }
        if (!fileMayBeRewritten(target, status)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
        if (!readFile(target, bytes)) {
            return false;
        }
    }
    FileEncoding encoding = fileEncodingOf(bytes);
    std::string before = textFromFileBytes(bytes);
    ProfileText text(before);
    edit(text);
    if (exists && text.bytes() == before) {
        SetLastError(ERROR_SUCCESS);
        return true;
    }
    DWORD written = replaceFile(target, fileBytesFromText(text.bytes(), encoding),
                                exists ? static_cast<int>(status.st_mode & 07777) : -1);
    if (written != ERROR_SUCCESS) {
        SetLastError(written);
        return false;
    }
    SetLastError(exists ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
    return true;
}

} // namespace ovs::posix
