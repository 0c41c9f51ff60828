// POSIX substitute: mapping between Z: paths and Unix paths.
#include "ZPath.h"

namespace ovs::posix {

namespace {
bool isSeparator(char c) { return c == '\\' || c == '/'; }
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

} // namespace ovs::posix
