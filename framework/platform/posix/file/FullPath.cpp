// POSIX substitute: GetFullPathNameA, GetCurrentDirectoryA and SetCurrentDirectoryA over the
// Z: view of the Unix tree. The current folder is the process's own (getcwd/chdir).
#include "platform/posix/file/FullPath.h"
#include "platform/posix/base/KernelObjects.h"
#include "platform/posix/file/WinFile.h"
#include "platform/posix/file/ZPath.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ovs::posix {

namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

bool isDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The root of a full path: "X:\" for a drive path, "\\server\share\" (or as much of it as the
// path has) for a UNC path. Returns the length of the root text within the path.
std::size_t rootLength(const std::string& full) {
    if (full.size() >= 2 && full[1] == ':') {
        return full.size() >= 3 ? 3 : 2;
    }
    if (full.size() >= 2 && full[0] == '\\' && full[1] == '\\') {
        std::size_t server = full.find('\\', 2);
        if (server == std::string::npos) {
            return full.size();
        }
        std::size_t share = full.find('\\', server + 1);
        return share == std::string::npos ? full.size() : share + 1;
    }
    return full.empty() ? 0 : 1;
}

// True when normalise would give root + rest unchanged: "\\" alone separates, and no component
// is empty or ends with a dot (which "." and ".." do), nor the last one with a space. The rest
// is what follows the root, from the given position on.
bool alreadyNormal(std::string_view rest, std::size_t start = 0) {
    if (rest.find('/', start) != std::string_view::npos) {
        return false;
    }
    while (start < rest.size()) {
        std::size_t end = std::min(rest.find('\\', start), rest.size());
        if (end == start || rest[end - 1] == '.' || (end == rest.size() && rest[end - 1] == ' ')) {
            return false;
        }
        start = end + 1;
    }
    return true;
}

// Splits the part behind the root into components and rebuilds it with Windows' rules.
std::string normalise(const std::string& root, const std::string& rest) {
    if (alreadyNormal(rest)) {
        return root + rest;
    }
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = start;
        while (end < rest.size() && !isSeparator(rest[end])) {
            ++end;
        }
        parts.push_back(rest.substr(start, end - start));
        start = end + 1;
    }
    // parts holds one entry per separator-delimited piece; the last one is what follows the
    // final separator (empty when the path ends with one).
    std::vector<std::string> kept;
    bool trailingSeparator = true; // the root itself ends with a separator
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        bool last = i + 1 == parts.size();
        if (part.empty()) {
            continue; // a repeated separator, or nothing after the final one
        }
        if (part == ".") {
            trailingSeparator = !last || kept.empty();
            continue;
        }
        if (part == "..") {
            if (!kept.empty()) {
                kept.pop_back();
            }
            trailingSeparator = !last || kept.empty();
            continue;
        }
        if (last) {
            std::string name = part;
            while (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
                name.pop_back();
            }
            if (!name.empty()) {
                kept.push_back(name);
                trailingSeparator = false;
            } else {
                trailingSeparator = true;
            }
            continue;
        }
        std::string name = part;
        if (name.back() == '.') {
            name.pop_back();
        }
        kept.push_back(name);
        trailingSeparator = true;
    }
    std::string result = root;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (i > 0) {
            result += '\\';
        }
        result += kept[i];
    }
    if (!kept.empty() && trailingSeparator) {
        result += '\\';
    }
    return result;
}

// Splits a full current folder into its root (with its separator) and the rest.
void splitRoot(const std::string& full, std::string& root, std::string& rest) {
    std::size_t length = rootLength(full);
    root = full.substr(0, length);
    if (root.empty() || root.back() != '\\') {
        root += '\\';
    }
    rest = length < full.size() ? full.substr(length) : std::string();
}

} // namespace

bool inFullForm(std::string_view path) {
    return path.size() >= 3 && isDriveLetter(path[0]) && path[1] == ':' && path[2] == '\\' && alreadyNormal(path, 3);
}

std::string fullPathText(const std::string& path, const std::string& currentFolder) {
    if (path.empty()) {
        return std::string();
    }
    if (path.size() >= 4 && path.compare(0, 4, "\\\\?\\") == 0) {
        return path;
    }
    std::string root;
    std::string rest;
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        // UNC: "\\server\share" is the root that ".." cannot leave.
        std::string text = path;
        for (char& c : text) {
            if (c == '/') {
                c = '\\';
            }
        }
        std::size_t serverEnd = text.find('\\', 2);
        if (serverEnd == std::string::npos) {
            return text;
        }
        std::size_t shareEnd = text.find('\\', serverEnd + 1);
        if (shareEnd == std::string::npos) {
            return text;
        }
        root = text.substr(0, shareEnd + 1);
        rest = text.substr(shareEnd + 1);
        return normalise(root, rest);
    }
    if (path.size() >= 2 && path[1] == ':' && isDriveLetter(path[0])) {
        if (inFullForm(path)) {
            return path; // the usual case
        }
        if (path.size() >= 3 && isSeparator(path[2])) {
            root = path.substr(0, 2) + "\\";
            rest = path.substr(3);
        } else if (currentFolder.size() >= 2 && currentFolder[1] == ':' && upper(currentFolder[0]) == upper(path[0])) {
            splitRoot(currentFolder, root, rest);
            rest += '\\';
            rest += path.substr(2);
        } else {
            root = std::string(1, upper(path[0])) + ":\\";
            rest = path.substr(2);
        }
        return normalise(root, rest);
    }
    splitRoot(currentFolder, root, rest);
    if (isSeparator(path[0])) {
        rest = path.substr(1);
    } else {
        rest += '\\';
        rest += path;
    }
    return normalise(root, rest);
}

std::string fullPathText(const std::string& path) {
    const bool rooted =
        path.size() >= 2 && ((isSeparator(path[0]) && isSeparator(path[1])) ||
                             (isDriveLetter(path[0]) && path[1] == ':' && path.size() >= 3 && isSeparator(path[2])));
    return fullPathText(path, rooted ? std::string() : currentFolderText());
}

std::string currentFolderText() {
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            return "Z:\\";
        }
        buffer.resize(buffer.size() * 2);
    }
    return windowsPathFrom(buffer.data());
}

} // namespace ovs::posix

namespace {

// Copies a result with Windows' buffer rules: the length without the NUL when it fits, else the
// size needed including the NUL and the buffer untouched.
DWORD copyResult(const std::string& text, DWORD bufferLength, LPSTR buffer) {
    if (buffer == nullptr || bufferLength <= text.size()) {
        return static_cast<DWORD>(text.size() + 1);
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
}

} // namespace

DWORD GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart) {
    if (fileName == nullptr || *fileName == '\0') {
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    // A path already in its full form is its own result; only another one is worked out.
    const std::string full = ovs::posix::inFullForm(fileName) ? fileName : ovs::posix::fullPathText(fileName);
    DWORD result = copyResult(full, bufferLength, buffer);
    if (result == full.size() && filePart != nullptr) {
        // No file part behind a final separator, nor in "\\server" alone.
        std::size_t last = full.find_last_of('\\');
        bool none = last == std::string::npos || last + 1 == full.size() || last < 2;
        *filePart = none ? nullptr : buffer + last + 1;
    }
    return result;
}

DWORD GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer) {
    return copyResult(ovs::posix::currentFolderText(), bufferLength, buffer);
}

BOOL SetCurrentDirectoryA(LPCSTR pathName) {
    std::string unixPath;
    if (!ovs::posix::unixPathOfFull(pathName, unixPath)) {
        return FALSE;
    }
    if (::chdir(unixPath.c_str()) != 0) {
        int error = errno;
        struct stat info;
        if (error == ENOTDIR && ::stat(unixPath.c_str(), &info) == 0) {
            SetLastError(ERROR_DIRECTORY);
        } else {
            SetLastError(ovs::posix::errorForPath(error, unixPath));
        }
        return FALSE;
    }
    return TRUE;
}
