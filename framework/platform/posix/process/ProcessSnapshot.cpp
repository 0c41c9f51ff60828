// POSIX substitute: process and module snapshots over /proc.
#include "platform/posix/base/KernelObjects.h"
#include "platform/posix/process/ProcessInfo.h"
#include "platform/posix/process/WinProcess.h"
#include "platform/posix/file/ZPath.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

struct ProcessRecord {
    DWORD processId;
    DWORD parentId;
    DWORD threads;
    std::string imageName;
};

struct ModuleRecord {
    DWORD processId;
    std::string name;
    std::string path;
};

class Snapshot : public ovs::posix::KernelObject {
public:
    std::vector<ProcessRecord> processes;
    std::vector<ModuleRecord> modules;
    std::size_t nextProcess = 0;
    std::size_t nextModule = 0;
};

void copyName(char* target, std::size_t capacity, const std::string& text) {
    std::size_t length = std::min(text.size(), capacity - 1);
    std::memcpy(target, text.data(), length);
    target[length] = '\0';
}

BOOL processAt(HANDLE handle, LPPROCESSENTRY32 entry, bool first) {
    auto* snapshot = ovs::posix::lookupHandleAs<Snapshot>(handle);
    if (snapshot == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (entry == nullptr || entry->dwSize < sizeof(PROCESSENTRY32)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (first) {
        snapshot->nextProcess = 0;
    }
    if (snapshot->nextProcess >= snapshot->processes.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    const ProcessRecord& record = snapshot->processes[snapshot->nextProcess++];
    DWORD size = entry->dwSize;
    std::memset(entry, 0, sizeof(PROCESSENTRY32));
    entry->dwSize = size;
    entry->th32ProcessID = record.processId;
    entry->th32ParentProcessID = record.parentId;
    entry->cntThreads = record.threads;
    entry->pcPriClassBase = 8; // normal priority
    copyName(entry->szExeFile, sizeof entry->szExeFile, record.imageName);
    return TRUE;
}

BOOL moduleAt(HANDLE handle, LPMODULEENTRY32 entry, bool first) {
    auto* snapshot = ovs::posix::lookupHandleAs<Snapshot>(handle);
    if (snapshot == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (entry == nullptr || entry->dwSize < sizeof(MODULEENTRY32)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (first) {
        snapshot->nextModule = 0;
    }
    if (snapshot->nextModule >= snapshot->modules.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    const ModuleRecord& record = snapshot->modules[snapshot->nextModule++];
    DWORD size = entry->dwSize;
    std::memset(entry, 0, sizeof(MODULEENTRY32));
    entry->dwSize = size;
    entry->th32ModuleID = 1;
    entry->th32ProcessID = record.processId;
    entry->GlblcntUsage = 0xFFFF;
    entry->ProccntUsage = 0xFFFF;
    copyName(entry->szModule, sizeof entry->szModule, record.name);
    copyName(entry->szExePath, sizeof entry->szExePath, record.path);
    return TRUE;
}

} // namespace

HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) {
    auto snapshot = std::make_unique<Snapshot>();
    if ((flags & ~static_cast<DWORD>(TH32CS_SNAPPROCESS | TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32)) != 0 || flags == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if ((flags & TH32CS_SNAPPROCESS) != 0) {
        for (DWORD id : ovs::posix::processIds()) {
            ovs::posix::ProcessStatus status;
            if (!ovs::posix::readProcessStatus(id, status) || status.state == 'Z' || status.state == 'X') {
                continue; // ended meanwhile, or a zombie: no longer a running process
            }
            snapshot->processes.push_back(ProcessRecord{id, status.parentId, status.threads, ovs::posix::processImageName(id)});
        }
    }
    if ((flags & (TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32)) != 0) {
        DWORD target = processId == 0 ? GetCurrentProcessId() : processId;
        std::string executable = ovs::posix::processExecutable(target);
        if (executable.empty()) {
            SetLastError(ovs::posix::processActive(target) ? ERROR_ACCESS_DENIED : ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        snapshot->modules.push_back(ModuleRecord{target, executable.substr(executable.rfind('/') + 1),
                                                 ovs::posix::windowsPathFrom(executable)});
    }
    return ovs::posix::registerHandle(std::move(snapshot));
}

BOOL Process32First(HANDLE snapshot, LPPROCESSENTRY32 entry) { return processAt(snapshot, entry, true); }
BOOL Process32Next(HANDLE snapshot, LPPROCESSENTRY32 entry) { return processAt(snapshot, entry, false); }
BOOL Module32First(HANDLE snapshot, LPMODULEENTRY32 entry) { return moduleAt(snapshot, entry, true); }
BOOL Module32Next(HANDLE snapshot, LPMODULEENTRY32 entry) { return moduleAt(snapshot, entry, false); }
