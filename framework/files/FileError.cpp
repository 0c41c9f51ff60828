// Windows error codes to file messages.
#include "files/FileError.h"
#include "MessageNumbers.h"
#include "platform/Win32.h"
#include "runtime/Exception.h"

namespace ovs {

namespace {

struct Mapping {
    std::uint32_t windowsError;
    int number;
};

// Argument: the path.
constexpr Mapping pathTable[] = {
    {2, msg::FileNotFound}, {3, msg::FolderNotFound},     {4, msg::TooManyOpenFiles},
    {5, msg::AccessDenied}, {8, msg::NoMoreMemory},       {32, msg::FileLocked},
    {33, msg::FileLocked},  {6009, msg::CannotWriteFile}, {183, msg::FileAlreadyExists},
};

// Argument: the drive. A full disk (39, 112) is named as such rather than left to the caller's
// "cannot write" default, so that the user learns the cause.
constexpr Mapping driveTable[] = {
    {15, msg::InvalidDrive},      {19, msg::DiskWriteProtected},
    {20, msg::InvalidDrive},      {21, msg::DiskCannotBeSelected},
    {23, msg::CannotReadFile},    {25, msg::DiskCannotSeek},
    {26, msg::DiskInvalidFormat}, {27, msg::DiskCannotSeek},
    {29, msg::CannotWriteFile},   {30, msg::CannotReadFile},
    {31, msg::InvalidDrive},      {34, msg::InvalidDiskChange},
    {39, msg::DiskFull},          {112, msg::DiskFull},
};

} // namespace

int fileMessageFor(std::uint32_t windowsError, int defaultNumber, bool* fromDriveTable) {
    if (fromDriveTable != nullptr) {
        *fromDriveTable = false;
    }
    for (const Mapping& entry : pathTable) {
        if (entry.windowsError == windowsError) {
            return entry.number;
        }
    }
    for (const Mapping& entry : driveTable) {
        if (entry.windowsError == windowsError) {
            if (fromDriveTable != nullptr) {
                *fromDriveTable = true;
            }
            return entry.number;
        }
    }
    return defaultNumber;
}

FileString driveOfPath(const FileString& path) {
    if (path.size() >= 2 && path[1] == ':') {
        return FileString(path.substr(0, 2));
    }
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        std::size_t end = path.find('\\', 2);
        return end == std::string::npos ? FileString() : FileString(path.substr(0, end));
    }
    return FileString();
}

void raiseFileError(const FileString& path, int defaultNumber, std::uint32_t windowsError) {
    bool drive = false;
    int number = fileMessageFor(windowsError, defaultNumber, &drive);
    FileException error(number, drive ? std::string(driveOfPath(path)) : std::string(path.displayForm(0, 1)));
    error.setSystemError(windowsError);
    error.setPath(path);
    throw error;
}

void raiseFileError(const FileString& path, int defaultNumber) {
    raiseFileError(path, defaultNumber, GetLastError());
}

} // namespace ovs
