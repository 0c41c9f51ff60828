// POSIX substitute: locating, reading and atomically rewriting private-profile files.
#include "platform/posix/profile/ProfileStore.h"
#include "platform/posix/base/AtomicRewrite.h"
#include "platform/posix/base/KernelObjects.h"
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

// A file descriptor closed when the owner goes.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

enum class Encoding { Ansi, Utf16LE };

bool readAll(int fd, std::string& bytes) {
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
    }
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// UTF-16LE bytes after the byte-order mark to UTF-8; broken surrogates become U+FFFD.
std::string utf8FromUtf16LE(const std::string& bytes) {
    std::string out;
    auto unit = [&](std::size_t i) {
        return static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    };
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        appendUtf8(out, c);
    }
    return out;
}

// UTF-8 text to UTF-16LE bytes with a byte-order mark; invalid bytes become U+FFFD.
std::string utf16LEFromUtf8(const std::string& text) {
    std::string out("\xFF\xFE", 2);
    auto put = [&out](char16_t u) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    };
    for (std::size_t i = 0; i < text.size();) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        char32_t c = 0xFFFD;
        if (length != 0 && i + length <= text.size()) {
            c = length == 1 ? lead : (lead & (0x7F >> length));
            for (std::size_t k = 1; k < length; ++k) {
                unsigned char next = static_cast<unsigned char>(text[i + k]);
                if ((next & 0xC0) != 0x80) {
                    c = 0xFFFD;
                    length = k;
                    break;
                }
                c = (c << 6) | (next & 0x3F);
            }
        } else {
            length = 1;
        }
        i += length;
        if (c >= 0x10000 && c != 0xFFFD) {
            c -= 0x10000;
            put(static_cast<char16_t>(0xD800 + (c >> 10)));
            put(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            put(static_cast<char16_t>(c));
        }
    }
    return out;
}

Encoding encodingOf(const std::string& bytes) {
    return bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE' ? Encoding::Utf16LE : Encoding::Ansi;
}

std::string decode(const std::string& bytes) {
    return encodingOf(bytes) == Encoding::Utf16LE ? utf8FromUtf16LE(bytes) : bytes;
}

std::string encode(const std::string& text, Encoding encoding) {
    return encoding == Encoding::Utf16LE ? utf16LEFromUtf8(text) : text;
}

std::string folderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Reads the file at path; false with the Windows error as last error.
bool readFile(const std::string& path, std::string& bytes) {
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        SetLastError(errorFromErrno(errno));
        return false;
    }
    struct stat status;
    if (::fstat(file.get(), &status) != 0 || S_ISDIR(status.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    if (!readAll(file.get(), bytes)) {
        SetLastError(errorFromErrno(errno));
        return false;
    }
    return true;
}

} // namespace

bool resolveProfileLocation(const char* fileName, ProfileLocation& location) {
    location = ProfileLocation();
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

bool readProfileText(const ProfileLocation& location, std::string& text) {
    std::string bytes;
    if (!readFile(location.unixPath, bytes)) {
        return false;
    }
    text = decode(bytes);
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
        // A file without any write permission is read-only, also for a superuser, as a
        // file with the read-only attribute is on Windows.
        if ((status.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0) {
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
        if (!readFile(target, bytes)) {
            return false;
        }
    }
    Encoding encoding = encodingOf(bytes);
    std::string before = decode(bytes);
    ProfileText text(before);
    edit(text);
    if (exists && text.bytes() == before) {
        SetLastError(ERROR_SUCCESS);
        return true;
    }
    DWORD written = replaceFile(target, encode(text.bytes(), encoding), exists ? static_cast<int>(status.st_mode & 07777) : -1);
    if (written != ERROR_SUCCESS) {
        SetLastError(written);
        return false;
    }
    SetLastError(exists ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
    return true;
}

} // namespace ovs::posix
