// POSIX substitute: mapping between Z: paths and Unix paths.
#include "platform/posix/file/ZPath.h"
#include "platform/posix/file/FullPath.h"
#include "platform/posix/base/KernelObjects.h"

#include <cerrno>
#include <sys/stat.h>

namespace ovs::posix {

namespace {
bool isSeparator(char c) {
    return c == '\\' || c == '/';
}
} // namespace

bool unixPathFrom(const char* windowsPath, std::string& unixPath) {
    unixPath.clear();
    if (windowsPath == nullptr) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    std::string path(windowsPath);
    if (path.size() >= 2 && path[1] == ':') {
        char drive = path[0];
        if (drive != 'Z' && drive != 'z') {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return false;
        }
        path.erase(0, 2); // "Z:rel" is relative to the current folder, which is on Z:
    } else if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        SetLastError(ERROR_PATH_NOT_FOUND); // \\server\share and \\?\ paths
        return false;
    }
    unixPath.reserve(path.size());
    for (char c : path) {
        unixPath.push_back(c == '\\' ? '/' : c);
    }
    return true;
}

bool unixPathOfFull(const char* windowsPath, std::string& unixPath) {
    unixPath.clear();
    if (windowsPath == nullptr || *windowsPath == '\0') {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    std::string full = fullPathText(windowsPath, currentFolderText());
    return unixPathFrom(full.c_str(), unixPath);
}

std::string windowsPathFrom(const std::string& unixPath) {
    std::string result = "Z:";
    for (char c : unixPath) {
        result.push_back(c == '/' ? '\\' : c);
    }
    if (result.size() == 2) {
        result.push_back('\\');
    }
    return result;
}

DWORD errorForPath(int error, const std::string& unixPath) {
    if (error == ENOTDIR) {
        return ERROR_PATH_NOT_FOUND;
    }
    if (error != ENOENT) {
        return errorFromErrno(error);
    }
    std::string folder = unixPath;
    while (!folder.empty() && folder.back() == '/') {
        folder.pop_back();
    }
    std::size_t slash = folder.find_last_of('/');
    if (slash == std::string::npos) {
        folder = ".";
    } else {
        folder.erase(slash == 0 ? 1 : slash);
    }
    struct stat info;
    if (::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        return ERROR_FILE_NOT_FOUND;
    }
    return ERROR_PATH_NOT_FOUND;
}

} // namespace ovs::posix
