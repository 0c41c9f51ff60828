// POSIX substitute: the kernel object behind a process handle.
#pragma once
#include "platform/posix/base/KernelObjects.h"

namespace ovs::posix {

class ProcessObject : public KernelObject {
public:
    ProcessObject(DWORD processId, unsigned long long startTime, DWORD access)
        : processId(processId), startTime(startTime), access(access) {}
    DWORD processId;
    unsigned long long startTime; // tells the process apart from a later one with the same id
    DWORD access;
    DWORD exitCode = 0; // the code our TerminateProcess gave it
};

// A handle on a running process with the given rights; null (ERROR_INVALID_PARAMETER) when
// it does not run.
HANDLE openProcessHandle(DWORD processId, DWORD access);

} // namespace ovs::posix
