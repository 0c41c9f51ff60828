// Files that other programs may write as well, on Windows: CREATE_NEW for what a run makes,
// the file index of a handle opened on the name itself (not on what a reparse point names),
// and only disk files for a reader.
#include "platform/GuardedFiles.h"

#include <algorithm>

namespace ovs::platform {

namespace {

FileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return {info.dwVolumeSerialNumber,
            (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | static_cast<std::uint64_t>(info.nFileIndexLow)};
}

HANDLE handleOf(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

} // namespace

DWORD createFileWith(const std::string& path, const std::string& bytes, FileIdentity& identity) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_ALREADY_EXISTS ? ERROR_FILE_EXISTS : error;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    bool written = GetFileInformationByHandle(file, &info) != 0;
    DWORD error = written ? ERROR_SUCCESS : GetLastError();
    for (std::size_t done = 0; written && done < bytes.size();) {
        DWORD put = 0;
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        written = WriteFile(file, bytes.data() + done, chunk, &put, nullptr) && put > 0;
        error = written ? ERROR_SUCCESS : (GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_DISK_FULL);
        done += put;
    }
    if (!CloseHandle(file) && written) {
        written = false;
        error = GetLastError();
    }
    identity = identityOf(info);
    if (!written) {
        removeOwnFile(path, identity);
        return error;
    }
    return ERROR_SUCCESS;
}

bool regularFileIdentity(const std::string& path, FileIdentity& identity) {
    HANDLE file =
        CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    bool regular = GetFileInformationByHandle(file, &info) && GetFileType(file) == FILE_TYPE_DISK &&
                   (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
    CloseHandle(file);
    if (regular) {
        identity = identityOf(info);
    }
    return regular;
}

bool removeOwnFile(const std::string& path, const FileIdentity& identity) {
    FileIdentity now;
    return regularFileIdentity(path, now) && now == identity && DeleteFileA(path.c_str());
}

RegularFileReader::RegularFileReader(const std::string& path) {
    open(path);
}

DWORD RegularFileReader::open(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error_ = GetLastError();
        return error_;
    }
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        error_ = ErrorNotARegularFile;
        return error_;
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
    open_ = true;
    return ERROR_SUCCESS;
}

RegularFileReader::~RegularFileReader() {
    if (open_) {
        CloseHandle(handleOf(handle_));
    }
}

bool RegularFileReader::status(std::int64_t& modified, std::uint64_t& size) {
    FILETIME created, accessed, written;
    LARGE_INTEGER length;
    if (!open_ || !GetFileTime(handleOf(handle_), &created, &accessed, &written) ||
        !GetFileSizeEx(handleOf(handle_), &length)) {
        error_ = open_ ? GetLastError() : ERROR_INVALID_HANDLE;
        return false;
    }
    constexpr std::int64_t UnixEpochInFileTime = 116444736000000000LL;
    std::int64_t ticks = (static_cast<std::int64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    modified = (ticks - UnixEpochInFileTime) / 10000000;
    size = static_cast<std::uint64_t>(length.QuadPart);
    return true;
}

long RegularFileReader::readOnce(char* buffer, std::size_t count) {
    DWORD got = 0;
    if (!open_ || !ReadFile(handleOf(handle_), buffer, static_cast<DWORD>(count), &got, nullptr)) {
        error_ = open_ ? GetLastError() : ERROR_INVALID_HANDLE;
        return -1;
    }
    return static_cast<long>(got);
}

bool othersMaySwapEntries(const std::string&) {
    return false;
}

} // namespace ovs::platform
