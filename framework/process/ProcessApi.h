// The process functions that are looked up at run time in "PsApi.dll" and "Kernel32.dll":
// one table per process, shared by every ovs::Process and counted by references. The
// first reference loads it, the last one frees both libraries and destroys it.
#pragma once
#include "platform/Win32.h"

namespace ovs {

class ProcessApi {
public:
    using CreateToolhelp32SnapshotFunction = HANDLE(WINAPI*)(DWORD, DWORD);
    using Process32Function = BOOL(WINAPI*)(HANDLE, LPPROCESSENTRY32);
    using Module32Function = BOOL(WINAPI*)(HANDLE, LPMODULEENTRY32);
    using GetProcessIdFunction = DWORD(WINAPI*)(HANDLE);
    using GetProcessImageFileNameFunction = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD);
    using QueryFullProcessImageNameFunction = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);

    // Takes one reference on the shared table, loading it when there is none: never null.
    // A table whose required functions could not all be found has every entry empty.
    static ProcessApi* acquire();
    // Gives one reference back; the last one frees the libraries and destroys the table.
    static void release(ProcessApi* api);

    ProcessApi(const ProcessApi&) = delete;
    ProcessApi& operator=(const ProcessApi&) = delete;

    // Null when the table is empty. The entries are public so that a test can put a
    // function of its own in place while it holds a reference.
    HMODULE kernel32 = nullptr;
    HMODULE psApi = nullptr;
    CreateToolhelp32SnapshotFunction createToolhelp32Snapshot = nullptr;
    Process32Function process32First = nullptr;
    Process32Function process32Next = nullptr;
    Module32Function module32First = nullptr;
    Module32Function module32Next = nullptr;
    GetProcessIdFunction getProcessId = nullptr;
    GetProcessImageFileNameFunction getProcessImageFileName = nullptr;
    QueryFullProcessImageNameFunction queryFullProcessImageName = nullptr;

private:
    ProcessApi();
    ~ProcessApi();
    void load();
    void clear();

    unsigned references_ = 0;
};

} // namespace ovs
