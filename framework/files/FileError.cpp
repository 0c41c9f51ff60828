// Windows error codes to file messages.
#include "files/FileError.h"
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
    {2, 1001}, {3, 1002}, {4, 1012}, {5, 1013}, {8, 1014}, {32, 1022}, {33, 1022}, {6009, 1010}, {183, 1029},
};

// Argument: the drive.
constexpr Mapping driveTable[] = {
    {15, 1015}, {19, 1017}, {20, 1015}, {21, 1018}, {23, 1009}, {25, 1019},
    {26, 1020}, {27, 1019}, {29, 1010}, {30, 1009}, {31, 1015}, {34, 1021},
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
