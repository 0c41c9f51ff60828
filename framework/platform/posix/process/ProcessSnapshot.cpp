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

// The walk Process32First/Next and Module32First/Next share: the next record of the snapshot
// goes to fill, with the entry cleared except for its size.
template <typename Entry, typename Record, typename Fill>
BOOL nextEntry(HANDLE handle, Entry* entry, bool first, std::vector<Record> Snapshot::*records,
               std::size_t Snapshot::*next, Fill fill) {
    auto* snapshot = ovs::posix::lookupHandleAs<Snapshot>(handle);
    if (snapshot == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (entry == nullptr || entry->dwSize < sizeof(Entry)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (first) {
        snapshot->*next = 0;
    }
    if (snapshot->*next >= (snapshot->*records).size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    const Record& record = (snapshot->*records)[(snapshot->*next)++];
    DWORD size = entry->dwSize;
    std::memset(entry, 0, sizeof(Entry));
    entry->dwSize = size;
    fill(*entry, record);
    return TRUE;
}

BOOL processAt(HANDLE handle, LPPROCESSENTRY32 entry, bool first) {
    return nextEntry(handle, entry, first, &Snapshot::processes, &Snapshot::nextProcess,
                     [](PROCESSENTRY32& out, const ProcessRecord& record) {
                         out.th32ProcessID = record.processId;
                         out.th32ParentProcessID = record.parentId;
                         out.cntThreads = record.threads;
                         out.pcPriClassBase = 8; // normal priority
                         copyName(out.szExeFile, sizeof out.szExeFile, record.imageName);
                     });
}

BOOL moduleAt(HANDLE handle, LPMODULEENTRY32 entry, bool first) {
    return nextEntry(handle, entry, first, &Snapshot::modules, &Snapshot::nextModule,
                     [](MODULEENTRY32& out, const ModuleRecord& record) {
                         out.th32ModuleID = 1;
                         out.th32ProcessID = record.processId;
                         out.GlblcntUsage = 0xFFFF;
                         out.ProccntUsage = 0xFFFF;
                         copyName(out.szModule, sizeof out.szModule, record.name);
                         copyName(out.szExePath, sizeof out.szExePath, record.path);
                     });
}

} // namespace

HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) {
    auto snapshot = std::make_unique<Snapshot>();
    if ((flags & ~static_cast<DWORD>(TH32CS_SNAPPROCESS | TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32)) != 0 ||
        flags == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if ((flags & TH32CS_SNAPPROCESS) != 0) {
        for (DWORD id : ovs::posix::processIds()) {
            ovs::posix::ProcessStatus status;
            if (!ovs::posix::readProcessStatus(id, status) || status.state == 'Z' || status.state == 'X') {
                continue; // ended meanwhile, or a zombie: no longer a running process
            }
            snapshot->processes.push_back(
                ProcessRecord{id, status.parentId, status.threads, ovs::posix::processImageName(id)});
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

BOOL Process32First(HANDLE snapshot, LPPROCESSENTRY32 entry) {
    return processAt(snapshot, entry, true);
}
BOOL Process32Next(HANDLE snapshot, LPPROCESSENTRY32 entry) {
    return processAt(snapshot, entry, false);
}
BOOL Module32First(HANDLE snapshot, LPMODULEENTRY32 entry) {
    return moduleAt(snapshot, entry, true);
}
BOOL Module32Next(HANDLE snapshot, LPMODULEENTRY32 entry) {
    return moduleAt(snapshot, entry, false);
}
