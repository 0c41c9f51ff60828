// POSIX substitute: mapping between Z: paths and Unix paths.
#include "platform/posix/file/ZPath.h"
#include "platform/posix/file/FullPath.h"
#include "platform/posix/base/KernelObjects.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <sys/stat.h>

namespace ovs::posix {

namespace {
bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

// The characters of a Unix name that a Windows name never holds ('/' cannot be in either).
bool isMappedCharacter(unsigned char c) {
    return (c >= 0x01 && c < 0x20) || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
           c == '>' || c == '|';
}

// U+F000 plus c (c below 0x80) in UTF-8: EF, 80 or 81, then the low six bits.
constexpr unsigned char mappedLead = 0xEF;

void appendMapped(std::string& text, unsigned char c) {
    text.push_back(static_cast<char>(mappedLead));
    text.push_back(static_cast<char>(0x80 | (c >> 6)));
    text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
}

// The character that the mapped sequence at text[i] stands for, or 0 when none starts there.
unsigned char unmappedAt(std::string_view text, std::size_t i) {
    if (i + 2 >= text.size() || static_cast<unsigned char>(text[i]) != mappedLead) {
        return 0;
    }
    unsigned char second = static_cast<unsigned char>(text[i + 1]);
    unsigned char third = static_cast<unsigned char>(text[i + 2]);
    if ((second != 0x80 && second != 0x81) || (third & 0xC0) != 0x80) {
        return 0;
    }
    unsigned char c = static_cast<unsigned char>(((second & 1) << 6) | (third & 0x3F));
    return isMappedCharacter(c) ? c : 0;
}
} // namespace

bool unixPathFrom(const char* windowsPath, std::string& unixPath) {
    unixPath.clear();
    if (windowsPath == nullptr) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    std::string_view path(windowsPath);
    if (path.size() >= 2 && path[1] == ':') {
        char drive = path[0];
        if (drive != 'Z' && drive != 'z') {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return false;
        }
        path.remove_prefix(2); // "Z:rel" is relative to the current folder, which is on Z:
    } else if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        SetLastError(ERROR_PATH_NOT_FOUND); // \\server\share and \\?\ paths
        return false;
    }
    if (path.find(static_cast<char>(mappedLead)) == std::string_view::npos) {
        unixPath.assign(path); // no mapped characters: only the separators change
        std::replace(unixPath.begin(), unixPath.end(), '\\', '/');
        return true;
    }
    unixPath.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (unsigned char original = unmappedAt(path, i)) {
            unixPath.push_back(static_cast<char>(original));
            i += 2;
        } else {
            unixPath.push_back(path[i] == '\\' ? '/' : path[i]);
        }
    }
    return true;
}

bool unixPathOfFull(const char* windowsPath, std::string& unixPath) {
    unixPath.clear();
    if (windowsPath == nullptr || *windowsPath == '\0') {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    // A 32-bit program without a long-path manifest: a path of MAX_PATH characters or more
    // (no room for its terminating zero) is refused, as Windows refuses it.
    if (std::strlen(windowsPath) >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    if (inFullForm(windowsPath)) {
        return unixPathFrom(windowsPath, unixPath);
    }
    std::string full = fullPathText(windowsPath);
    return unixPathFrom(full.c_str(), unixPath);
}

std::string windowsPathFrom(const std::string& unixPath) {
    std::string result = "Z:" + windowsNameFrom(unixPath);
    for (char& c : result) {
        if (c == '/') {
            c = '\\';
        }
    }
    if (result.size() == 2) {
        result.push_back('\\');
    }
    return result;
}

std::string windowsNameFrom(const std::string& unixName) {
    bool mapped = false;
    for (char c : unixName) {
        mapped = mapped || isMappedCharacter(static_cast<unsigned char>(c));
    }
    if (!mapped) {
        return unixName;
    }
    std::string result;
    result.reserve(unixName.size());
    for (char c : unixName) {
        if (isMappedCharacter(static_cast<unsigned char>(c))) {
            appendMapped(result, static_cast<unsigned char>(c));
        } else {
            result.push_back(c);
        }
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
