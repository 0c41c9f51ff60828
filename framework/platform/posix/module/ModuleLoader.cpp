// POSIX substitute: LoadLibraryA, GetProcAddress and the FreeLibrary part for the two
// system modules whose process functions the framework looks up at run time.
#include "platform/posix/process/WinProcess.h"
#include "platform/posix/module/WinModule.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>
#include <string>

namespace {

struct Export {
    const char* name;
    FARPROC address;
};

struct Module {
    const char* name; // upper case, without ".DLL"
    std::vector<Export> exports;
    unsigned loads = 0;
};

template <class F> FARPROC address(F function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function)); // through the generic type
}

std::mutex& modulesLock() {
    static std::mutex lock;
    return lock;
}

Module* modules() {
    static Module table[] = {
        {"KERNEL32",
         {
             {"CreateToolhelp32Snapshot", address(&CreateToolhelp32Snapshot)},
             {"Process32First", address(&Process32First)},
             {"Process32Next", address(&Process32Next)},
             {"Module32First", address(&Module32First)},
             {"Module32Next", address(&Module32Next)},
             {"GetProcessId", address(&GetProcessId)},
             {"QueryFullProcessImageNameA", address(&QueryFullProcessImageNameA)},
             {"OpenProcess", address(&OpenProcess)},
             {"GetExitCodeProcess", address(&GetExitCodeProcess)},
             {"TerminateProcess", address(&TerminateProcess)},
             {"GetCurrentProcessId", address(&GetCurrentProcessId)},
         }},
        {"PSAPI", {{"GetProcessImageFileNameA", address(&GetProcessImageFileNameA)}}},
    };
    return table;
}

constexpr std::size_t moduleCount = 2;

Module* moduleOf(HMODULE handle) {
    Module* table = modules();
    for (std::size_t i = 0; i < moduleCount; ++i) {
        if (reinterpret_cast<HMODULE>(&table[i]) == handle) {
            return &table[i];
        }
    }
    return nullptr;
}

} // namespace

HMODULE LoadLibraryA(LPCSTR fileName) {
    if (fileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::string name(fileName);
    std::size_t separator = name.find_last_of("\\/");
    if (separator != std::string::npos) {
        name.erase(0, separator + 1);
    }
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; });
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".DLL") == 0) {
        name.erase(name.size() - 4);
    }
    std::lock_guard<std::mutex> lock(modulesLock());
    Module* table = modules();
    for (std::size_t i = 0; i < moduleCount; ++i) {
        if (name == table[i].name) {
            ++table[i].loads;
            return reinterpret_cast<HMODULE>(&table[i]);
        }
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

FARPROC GetProcAddress(HMODULE handle, LPCSTR procName) {
    std::lock_guard<std::mutex> lock(modulesLock());
    Module* module = moduleOf(handle);
    if (module == nullptr || module->loads == 0) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    // Small values stand for ordinals, which these modules do not offer by number here.
    if (procName == nullptr || reinterpret_cast<ULONG_PTR>(procName) <= 0xFFFF) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    for (const Export& entry : module->exports) {
        if (std::strcmp(entry.name, procName) == 0) { // export names are case-sensitive
            return entry.address;
        }
    }
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

namespace ovs::posix {

bool freeLoadedModule(HMODULE handle) {
    std::lock_guard<std::mutex> lock(modulesLock());
    Module* module = moduleOf(handle);
    if (module == nullptr || module->loads == 0) {
        return false;
    }
    --module->loads;
    return true;
}

} // namespace ovs::posix

BOOL FreeLibrary(HMODULE module) {
    if (module == GetModuleHandleA(nullptr) || ovs::posix::freeLoadedModule(module)) { // the program stays
        return TRUE;
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}
