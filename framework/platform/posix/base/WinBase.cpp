// POSIX substitute: last-error value, the handle table and the errno mapping.
#include "platform/posix/base/KernelObjects.h"

#include <cerrno>
#include <csignal>
#include <chrono>
#include <thread>
#include <map>
#include <mutex>
#include <unistd.h>

namespace {

thread_local DWORD lastError = 0;

// A write beyond the process's file-size limit (ulimit -f) fails with EFBIG, which maps onto
// the disk-full error of a Windows write, instead of ending the process with SIGXFSZ: Windows
// has no such signal, and the program reports a full disk as the file error it is. Programs
// this layer starts get the signal's default back (ShellExecuteExA, ChildProcess).
[[maybe_unused]] const bool fileSizeLimitIsAnError = [] {
    std::signal(SIGXFSZ, SIG_IGN);
    return true;
}();

struct HandleTable {
    std::mutex mutex;
    std::map<std::uintptr_t, std::unique_ptr<ovs::posix::KernelObject>> objects;
    std::uintptr_t next = 0x100;
};

HandleTable& handleTable() {
    static HandleTable* table = new HandleTable; // lives to process end: handles may be closed late
    return *table;
}

} // namespace

DWORD GetLastError() {
    return lastError;
}

void SetLastError(DWORD errorCode) {
    lastError = errorCode;
}

BOOL CloseHandle(HANDLE handle) {
    return ovs::posix::closeHandle(handle) ? TRUE : FALSE;
}

DWORD GetCurrentProcessId() {
    return static_cast<DWORD>(::getpid());
}

void Sleep(DWORD milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

HANDLE GetCurrentProcess() {
    return INVALID_HANDLE_VALUE;
}

BOOL IsWow64Process(HANDLE process, PBOOL isWow64) {
    if (process != GetCurrentProcess() && ovs::posix::lookupHandle(process) == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (isWow64 == nullptr) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    *isWow64 = FALSE;
    return TRUE;
}

namespace ovs::posix {

HANDLE registerHandle(std::unique_ptr<KernelObject> object) {
    HandleTable& table = handleTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    std::uintptr_t value = table.next;
    table.next += 4; // like Windows: multiples of four
    table.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

KernelObject* lookupHandle(HANDLE handle) {
    HandleTable& table = handleTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto it = table.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == table.objects.end() ? nullptr : it->second.get();
}

bool closeHandle(HANDLE handle) {
    std::unique_ptr<KernelObject> doomed;
    {
        HandleTable& table = handleTable();
        std::lock_guard<std::mutex> lock(table.mutex);
        auto it = table.objects.find(reinterpret_cast<std::uintptr_t>(handle));
        if (it == table.objects.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
        doomed = std::move(it->second);
        table.objects.erase(it);
    }
    return true; // the object is destroyed outside the lock
}

DWORD errorFromErrno(int error) {
    switch (error) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return ERROR_DISK_FULL; // a file that may grow no further: its disk is full for it
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EBADF: return ERROR_INVALID_HANDLE;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case EBUSY:
    case ETXTBSY: return ERROR_SHARING_VIOLATION;
    case EIO: return ERROR_GEN_FAILURE;
    default: return ERROR_GEN_FAILURE;
    }
}

} // namespace ovs::posix
