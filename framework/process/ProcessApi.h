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

    // The module functions a table loads with: the system's own for the shared table.
    struct Loader {
        HMODULE(WINAPI* loadLibrary)(LPCSTR fileName);
        FARPROC(WINAPI* getProcAddress)(HMODULE module, LPCSTR name);
        BOOL(WINAPI* freeLibrary)(HMODULE module);
    };
    static Loader systemLoader();

    // Takes one reference on the shared table, loading it when there is none: never null.
    // A table whose required functions could not all be found has every entry empty.
    static ProcessApi* acquire();
    // Gives one reference back; the last one frees the libraries and destroys the table.
    static void release(ProcessApi* api);

    // A table of its own, loaded at once with loader: "PsApi.dll" must export
    // GetProcessImageFileNameA and "Kernel32.dll" CreateToolhelp32Snapshot, Process32First,
    // Process32Next, Module32First and Module32Next, else both libraries are freed again and
    // every entry stays empty; GetProcessId and QueryFullProcessImageNameA may be missing.
    // The destructor frees the libraries. The shared table is one of these.
    explicit ProcessApi(const Loader& loader);
    ~ProcessApi();
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
    void load();
    void clear();
    template <class Function> Function lookUp(HMODULE module, const char* name) const;

    Loader loader_;
    unsigned references_ = 0;
};

} // namespace ovs
