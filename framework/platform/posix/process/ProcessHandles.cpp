// POSIX substitute: process handles: open, query, terminate, id and image name.
#include "platform/posix/process/ProcessHandles.h"
#include "platform/posix/process/ProcessInfo.h"
#include "platform/posix/process/WinProcess.h"
#include "platform/posix/file/ZPath.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace {

// The process behind a handle (GetCurrentProcess() included, with every right).
bool processOf(HANDLE handle, ovs::posix::ProcessObject*& object, DWORD& processId, DWORD& access) {
    if (handle == GetCurrentProcess()) {
        object = nullptr;
        processId = GetCurrentProcessId();
        access = PROCESS_ALL_ACCESS;
        return true;
    }
    object = ovs::posix::lookupHandleAs<ovs::posix::ProcessObject>(handle);
    if (object == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    processId = object->processId;
    access = object->access;
    return true;
}

bool active(ovs::posix::ProcessObject* object, DWORD processId) {
    return object == nullptr ? true : ovs::posix::processActive(processId, object->startTime);
}

bool copyText(const std::string& text, LPSTR buffer, DWORD size) {
    if (buffer == nullptr || text.size() >= size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return false;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

std::string imagePath(HANDLE process) {
    ovs::posix::ProcessObject* object = nullptr;
    DWORD processId = 0, access = 0;
    if (!processOf(process, object, processId, access)) {
        return std::string();
    }
    if ((access & (PROCESS_QUERY_INFORMATION | PROCESS_QUERY_LIMITED_INFORMATION)) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return std::string();
    }
    std::string executable = active(object, processId) ? ovs::posix::processExecutable(processId) : std::string();
    if (executable.empty()) {
        SetLastError(ERROR_GEN_FAILURE);
        return std::string();
    }
    return ovs::posix::windowsPathFrom(executable);
}

} // namespace

namespace ovs::posix {

HANDLE openProcessHandle(DWORD processId, DWORD access) {
    ProcessStatus status;
    if (processId == 0 || !readProcessStatus(processId, status) || !processActive(processId)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return registerHandle(std::make_unique<ProcessObject>(processId, status.startTime, access));
}

} // namespace ovs::posix

HANDLE OpenProcess(DWORD access, BOOL, DWORD processId) {
    if ((access & PROCESS_TERMINATE) != 0 && ::kill(static_cast<pid_t>(processId), 0) != 0 && errno == EPERM) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return ovs::posix::openProcessHandle(processId, access);
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
    ovs::posix::ProcessObject* object = nullptr;
    DWORD processId = 0, access = 0;
    if (!processOf(process, object, processId, access)) {
        return FALSE;
    }
    if ((access & (PROCESS_QUERY_INFORMATION | PROCESS_QUERY_LIMITED_INFORMATION)) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (exitCode == nullptr) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    *exitCode = active(object, processId) ? static_cast<DWORD>(STILL_ACTIVE) : object->exitCode;
    return TRUE;
}

BOOL TerminateProcess(HANDLE process, UINT exitCode) {
    ovs::posix::ProcessObject* object = nullptr;
    DWORD processId = 0, access = 0;
    if (!processOf(process, object, processId, access)) {
        return FALSE;
    }
    if ((access & PROCESS_TERMINATE) == 0 || !active(object, processId)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (object != nullptr) {
        object->exitCode = exitCode;
    }
    if (::kill(static_cast<pid_t>(processId), SIGKILL) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}

DWORD GetProcessId(HANDLE process) {
    ovs::posix::ProcessObject* object = nullptr;
    DWORD processId = 0, access = 0;
    return processOf(process, object, processId, access) ? processId : 0;
}

BOOL QueryFullProcessImageNameA(HANDLE process, DWORD, LPSTR name, PDWORD size) {
    if (size == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string path = imagePath(process);
    if (path.empty() || !copyText(path, name, *size)) {
        return FALSE;
    }
    *size = static_cast<DWORD>(path.size());
    return TRUE;
}

DWORD GetProcessImageFileNameA(HANDLE process, LPSTR name, DWORD size) {
    std::string path = imagePath(process);
    if (path.empty() || !copyText(path, name, size)) {
        return 0;
    }
    return static_cast<DWORD>(path.size());
}
