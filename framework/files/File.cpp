// The file object: mode checks, folder creation and wiping above the Windows implementation;
// every exception leaves with this file's path.
#include "files/File.h"
#include "MessageNumbers.h"
#include "files/FileImplWin.h"
#include "platform/Win32.h"
#include "runtime/Exception.h"

#include <algorithm>
#include <vector>

namespace ovs {

namespace {

constexpr std::uint32_t wipePiece = 61440;

[[noreturn]] void raise(int number, const FileString& path, std::uint32_t windowsError = 0) {
    FileException error(number, path.displayForm(0, 1));
    error.setSystemError(windowsError);
    error.setPath(path);
    throw error;
}

} // namespace

File::File() = default;

File::File(const std::string& path) : path_(path) {}

File::~File() = default; // the implementation closes its handle quietly

void File::close() {
    if (implementation_ && implementation_->isOpen()) {
        try {
            implementation_->close();
        } catch (FileException& error) {
            implementation_.reset();
            error.setPath(path_);
            throw;
        }
        implementation_.reset();
    }
}

FileImpl& File::openImplementation(int number) {
    if (!implementation_ || !implementation_->isOpen()) {
        raise(number, path_);
    }
    return *implementation_;
}

void File::write(const void* bytes, std::uint32_t count) {
    FileImpl& implementation = openImplementation(msg::CannotWriteFile);
    try {
        implementation.write(bytes, count);
    } catch (FileException& error) {
        error.setPath(path_);
        throw;
    }
}

void File::rewind() {
    seek(0);
}

void File::seekEnd() {
    FileImpl& implementation = openImplementation(msg::CannotReadFile);
    try {
        implementation.seekEnd();
    } catch (FileException& error) {
        error.setPath(path_);
        throw;
    }
}

void File::setPath(const std::string& text) {
    path_ = text;
}

const FileString& File::path() const {
    if (path_.empty()) {
        raise(msg::BadFileOrFolder, path_);
    }
    return path_;
}

bool File::wipe() {
    try {
        open(Read | Write);
        std::uint64_t length = size64();
        if (length != 0) {
            std::vector<char> zeros(static_cast<std::size_t>(std::min<std::uint64_t>(length, wipePiece)), 0);
            rewind();
            while (length > 0) {
                std::uint32_t piece = static_cast<std::uint32_t>(std::min<std::uint64_t>(length, wipePiece));
                write(zeros.data(), piece);
                length -= piece;
            }
        }
        seek(0);
        truncate();
        close();
    } catch (const FileException& error) {
        if (error.systemError() == ERROR_FILE_NOT_FOUND) {
            return false;
        }
        throw;
    }
    return true;
}

void File::open(std::uint32_t mode) {
    implementation_.reset();
    implementation_ = std::make_unique<FileImplWin>();
    // A file that must exist and is only read is looked at when it cannot be opened: an open
    // for reading neither creates it nor opens a folder.
    const bool lookWhenFailed =
        (mode & MustExist) && !(mode & (MustNotExist | Write | WritingDisposition | WriteShared)) && !path_.empty();
    if ((mode & MustExist) && !lookWhenFailed && !path_.isFile()) {
        raise(msg::FileNotFound, path_);
    }
    if ((mode & MustNotExist) && path_.isFile()) {
        raise(msg::FileAlreadyExists, path_);
    }
    if (path_.empty()) {
        FileException error(msg::FileCannotBeOpened);
        throw error;
    }
    try {
        implementation_->open(path_, mode);
    } catch (FileException& error) {
        if (lookWhenFailed && !path_.isFile()) {
            raise(msg::FileNotFound, path_);
        }
        error.setPath(path_);
        throw;
    }
}

void File::create(std::uint32_t mode, std::uint32_t reserved) {
    if ((mode & MustNotExist) && path_.isFile()) {
        raise(msg::FileAlreadyExists, path_);
    }
    implementation_.reset();
    implementation_ = std::make_unique<FileImplWin>();
    if (mode & Folder) {
        createFolder(mode);
        return;
    }
    try {
        implementation_->create(path_, mode, reserved);
    } catch (FileException& error) {
        error.setPath(path_);
        throw;
    }
}

void File::createOneFolder(const FileString& folder) {
    if (!CreateDirectoryA(folder.c_str(), nullptr)) {
        raise(msg::FileCannotBeCreated, folder, GetLastError());
    }
}

void File::createFolder(std::uint32_t mode) {
    if (!(mode & AllLevels)) {
        createOneFolder(path_);
        return;
    }
    FileString joined;
    for (const FileString& component : path_.components()) {
        joined.join(component);
        if (!joined.isFolder()) {
            createOneFolder(joined);
        }
    }
}

std::uint32_t File::read(void* buffer, std::uint32_t count, bool exact) {
    FileImpl& implementation = openImplementation(msg::CannotReadFile);
    std::uint32_t got = 0;
    try {
        got = implementation.read(buffer, count);
    } catch (FileException& error) {
        error.setPath(path_);
        throw;
    }
    if (exact && got < count) {
        raise(msg::CannotReadFile, path_);
    }
    return got;
}

std::uint32_t File::size() {
    return static_cast<std::uint32_t>(size64() & 0xFFFFFFFFu);
}

std::uint64_t File::size64() {
    FileImpl& implementation = openImplementation(msg::CannotReadFile);
    try {
        return implementation.size64();
    } catch (FileException& error) {
        error.setPath(path_);
        throw;
    }
}

void File::seek(std::uint64_t position) {
    FileImpl& implementation = openImplementation(msg::CannotReadFile);
    try {
        implementation.seek(position);
    } catch (FileException& error) {
        error.setPath(path_);
        throw;
    }
}

std::uint64_t File::tell() {
    return isOpen() ? implementation_->tell() : 0;
}

void File::flush() {
    bool openedHere = false;
    if (!isOpen()) {
        open(MustExist | Read | Write);
        openedHere = true;
    }
    implementation_->flush();
    if (openedHere) {
        close();
    }
}

void File::truncate() {
    if (isOpen()) {
        implementation_->truncate();
    }
}

bool File::remove() {
    return DeleteFileA(path_.c_str()) != FALSE;
}

void File::getTimes(std::uint32_t& creation, std::uint32_t& lastAccess, std::uint32_t& lastWrite) {
    FileImpl& implementation = openImplementation(msg::CannotReadFile);
    try {
        implementation.getTimes(creation, lastAccess, lastWrite);
    } catch (FileException& error) {
        error.setPath(path_);
        throw;
    }
}

void File::setTimes(std::uint32_t creation, std::uint32_t lastAccess, std::uint32_t lastWrite) {
    FileImpl& implementation = openImplementation(msg::CannotReadFile);
    try {
        implementation.setTimes(creation, lastAccess, lastWrite);
    } catch (FileException& error) {
        error.setPath(path_);
        throw;
    }
}

bool File::isOpen() const {
    return implementation_ && implementation_->isOpen();
}

} // namespace ovs
