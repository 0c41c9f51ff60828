// The mapping of Windows error codes onto file messages: two tables choose the message number
// (the first shows the path, the second the drive); other codes keep the caller's default.
#pragma once
#include "strings/FileString.h"

#include <cstdint>

namespace ovs {

// The message number for a Windows error code, or defaultNumber when neither table lists it;
// driveTable tells whether the second table (argument: the drive) chose it.
int fileMessageFor(std::uint32_t windowsError, int defaultNumber, bool* driveTable = nullptr);

// The drive part as file messages show it: "C:" for "C:\x", "\\srv" for "\\srv\share\x",
// otherwise empty.
FileString driveOfPath(const FileString& path);

// Throws ovs::FileException: the mapped number, argument 1 the path in display form (the drive
// for the second table), the Windows error code and the path.
[[noreturn]] void raiseFileError(const FileString& path, int defaultNumber, std::uint32_t windowsError);

// The same for the thread's last Windows error.
[[noreturn]] void raiseFileError(const FileString& path, int defaultNumber);

} // namespace ovs
