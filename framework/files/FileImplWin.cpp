// The Windows file implementation over CreateFileA and the Win32 file functions.
#include "files/FileImplWin.h"
#include "MessageNumbers.h"
#include "files/File.h"
#include "files/FileError.h"
#include "runtime/FileTimes.h"

namespace ovs {

namespace {

DWORD accessFor(std::uint32_t mode) {
    DWORD access = FILE_READ_ATTRIBUTES;
    if (mode & (File::Read | File::ReadShared)) {
        access |= GENERIC_READ;
    }
    if (mode & (File::Write | File::WriteShared)) {
        access |= GENERIC_WRITE;
    }
    return access;
}

DWORD sharingFor(std::uint32_t mode) {
    if (mode & File::WriteShared) {
        return FILE_SHARE_READ | FILE_SHARE_WRITE;
    }
    return (mode & File::ReadShared) ? FILE_SHARE_READ : 0;
}

DWORD attributesFor(std::uint32_t mode) {
    DWORD attributes = 0;
    if (mode & File::Hidden) {
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    }
    if (mode & File::System) {
        attributes |= FILE_ATTRIBUTE_SYSTEM;
    }
    if (mode & File::WriteThrough) {
        attributes |= FILE_FLAG_WRITE_THROUGH;
    }
    return attributes;
}

} // namespace

FileImplWin::~FileImplWin() {
    if (handle_ != INVALID_HANDLE_VALUE) {
        CloseHandle(handle_);
    }
}

void FileImplWin::open(const std::string& path, std::uint32_t mode) {
    path_ = FileString(path).absolute();
    DWORD disposition = OPEN_EXISTING;
    if (mode & (File::Write | File::WritingDisposition | File::WriteShared)) {
        disposition = (mode & File::Truncate) ? TRUNCATE_EXISTING : OPEN_ALWAYS;
    }
    handle_ = CreateFileA(path_.c_str(), accessFor(mode), sharingFor(mode), nullptr, disposition, attributesFor(mode),
                          nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) {
        raiseFileError(msg::FileCannotBeOpened);
    }
    if (mode & File::AtEnd) {
        seekEnd();
    }
}

void FileImplWin::create(const std::string& path, std::uint32_t mode, std::uint32_t) {
    path_ = FileString(path).absolute();
    handle_ = CreateFileA(path_.c_str(), accessFor(mode), sharingFor(mode), nullptr, CREATE_NEW, attributesFor(mode),
                          nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) {
        handle_ = CreateFileA(path_.c_str(), accessFor(mode) | GENERIC_WRITE, sharingFor(mode), nullptr,
                              TRUNCATE_EXISTING, attributesFor(mode), nullptr);
    }
    if (handle_ == INVALID_HANDLE_VALUE) {
        raiseFileError(msg::FileCannotBeCreated);
    }
}

std::uint32_t FileImplWin::read(void* buffer, std::uint32_t count) {
    DWORD got = 0;
    if (!ReadFile(handle_, buffer, count, &got, nullptr)) {
        raiseFileError(msg::CannotReadFile);
    }
    return got;
}

void FileImplWin::write(const void* buffer, std::uint32_t count) {
    DWORD written = 0;
    if (!WriteFile(handle_, buffer, count, &written, nullptr)) {
        raiseFileError(msg::CannotWriteFile);
    }
}

std::uint32_t FileImplWin::size() {
    return static_cast<std::uint32_t>(size64() & 0xFFFFFFFFu);
}

std::uint64_t FileImplWin::size64() {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle_, &size)) {
        raiseFileError(msg::CannotReadFile);
    }
    return static_cast<std::uint64_t>(size.QuadPart);
}

std::uint64_t FileImplWin::tell() {
    LONG high = 0;
    DWORD low = SetFilePointer(handle_, 0, &high, FILE_CURRENT);
    return (static_cast<std::uint64_t>(static_cast<DWORD>(high)) << 32) | low;
}

bool FileImplWin::isOpen() const {
    return handle_ != INVALID_HANDLE_VALUE;
}

void FileImplWin::close() {
    if (handle_ == INVALID_HANDLE_VALUE) {
        return;
    }
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    if (!CloseHandle(handle)) {
        raiseFileError(msg::FileCannotBeClosed);
    }
}

void FileImplWin::seek(std::uint64_t position) {
    LONG high = static_cast<LONG>(position >> 32);
    SetLastError(ERROR_SUCCESS);
    DWORD low = SetFilePointer(handle_, static_cast<LONG>(position & 0xFFFFFFFFu), &high, FILE_BEGIN);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS) {
        raiseFileError(msg::CannotReadFile);
    }
}

void FileImplWin::seekEnd() {
    LONG high = 0;
    SetLastError(ERROR_SUCCESS);
    DWORD low = SetFilePointer(handle_, 0, &high, FILE_END);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS) {
        raiseFileError(msg::CannotReadFile);
    }
}

void FileImplWin::flush() {
    FlushFileBuffers(handle_);
}

void FileImplWin::truncate() {
    SetEndOfFile(handle_);
}

void FileImplWin::getTimes(std::uint32_t& creation, std::uint32_t& lastAccess, std::uint32_t& lastWrite) {
    FILETIME created;
    FILETIME accessed;
    FILETIME written;
    if (!GetFileTime(handle_, &created, &accessed, &written)) {
        raiseFileError(msg::CannotReadFile);
    }
    creation = secondsSince2000(created);
    lastAccess = secondsSince2000(accessed);
    lastWrite = secondsSince2000(written);
}

void FileImplWin::setTimes(std::uint32_t creation, std::uint32_t lastAccess, std::uint32_t lastWrite) {
    FILETIME created = fileTimeOfSecondsSince2000(creation);
    FILETIME accessed = fileTimeOfSecondsSince2000(lastAccess);
    FILETIME written = fileTimeOfSecondsSince2000(lastWrite);
    if (!SetFileTime(handle_, &created, &accessed, &written)) {
        raiseFileError(msg::CannotReadFile);
    }
}

void FileImplWin::raiseFileError(int defaultNumber) {
    ovs::raiseFileError(path_, defaultNumber);
}

} // namespace ovs
