// POSIX substitute: processes and the run-time module loader. The process snapshot lists
// the processes in /proc (image name: the file name of /proc/PID/exe, or /proc/PID/comm when
// that link cannot be read); a process is active while it exists and is not a zombie;
// TerminateProcess sends SIGKILL and does not wait; ShellExecuteExA starts a program
// detached (its own session, not our child, standard streams on /dev/null) in the requested
// working folder. The loader knows two modules, "Kernel32.dll" and "PsApi.dll", and the
// process functions they export.
#pragma once
#include "platform/posix/base/WinBase.h"

// --- Modules -----------------------------------------------------------------------------

// "Kernel32.dll" or "PsApi.dll" (any case, ".dll" optional, folder ignored): a handle that
// counts its loads. Any other name: null with ERROR_MOD_NOT_FOUND.
HMODULE LoadLibraryA(LPCSTR fileName);
// The address of an exported function of a loaded module: CreateToolhelp32Snapshot,
// Process32First, Process32Next, Module32First, Module32Next, GetProcessId,
// QueryFullProcessImageNameA, OpenProcess, GetExitCodeProcess, TerminateProcess,
// GetCurrentProcessId from Kernel32.dll; GetProcessImageFileNameA from PsApi.dll. Another
// name: null with ERROR_PROC_NOT_FOUND; an unknown module: null with ERROR_MOD_NOT_FOUND.
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);

namespace ovs::posix {
// The FreeLibrary part for modules of LoadLibraryA: true when module is one of them (its
// load count is then decreased); false for any other handle.
bool freeLoadedModule(HMODULE module);
} // namespace ovs::posix

// Gives back one load of a module of LoadLibraryA: TRUE. The program's own module
// (GetModuleHandleA(nullptr)) is never unloaded: TRUE. Another handle: FALSE with
// ERROR_INVALID_HANDLE.
BOOL FreeLibrary(HMODULE module);

// --- Snapshots ---------------------------------------------------------------------------

#define TH32CS_SNAPHEAPLIST 0x00000001
#define TH32CS_SNAPPROCESS 0x00000002
#define TH32CS_SNAPTHREAD 0x00000004
#define TH32CS_SNAPMODULE 0x00000008
#define TH32CS_SNAPMODULE32 0x00000010

typedef struct tagPROCESSENTRY32 {
    DWORD dwSize;
    DWORD cntUsage;
    DWORD th32ProcessID;
    ULONG_PTR th32DefaultHeapID;
    DWORD th32ModuleID;
    DWORD cntThreads;
    DWORD th32ParentProcessID;
    LONG pcPriClassBase;
    DWORD dwFlags;
    CHAR szExeFile[MAX_PATH];
} PROCESSENTRY32, *PPROCESSENTRY32, *LPPROCESSENTRY32;

#define MAX_MODULE_NAME32 255
typedef struct tagMODULEENTRY32 {
    DWORD dwSize;
    DWORD th32ModuleID;
    DWORD th32ProcessID;
    DWORD GlblcntUsage;
    DWORD ProccntUsage;
    BYTE* modBaseAddr;
    DWORD modBaseSize;
    HMODULE hModule;
    char szModule[MAX_MODULE_NAME32 + 1];
    char szExePath[MAX_PATH];
} MODULEENTRY32, *PMODULEENTRY32, *LPMODULEENTRY32;

// A snapshot of the processes (TH32CS_SNAPPROCESS; the process id is ignored) or of one
// process's modules (TH32CS_SNAPMODULE: its executable only; id 0 means this process).
// Other flags: INVALID_HANDLE_VALUE with ERROR_INVALID_PARAMETER.
HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId);
// The first and next process of the snapshot. entry->dwSize must be at least
// sizeof(PROCESSENTRY32) (else ERROR_INSUFFICIENT_BUFFER); after the last one FALSE with
// ERROR_NO_MORE_FILES.
BOOL Process32First(HANDLE snapshot, LPPROCESSENTRY32 entry);
BOOL Process32Next(HANDLE snapshot, LPPROCESSENTRY32 entry);
// As Process32First/Next for the modules of a module snapshot (a process snapshot has none).
BOOL Module32First(HANDLE snapshot, LPMODULEENTRY32 entry);
BOOL Module32Next(HANDLE snapshot, LPMODULEENTRY32 entry);

// --- Processes ---------------------------------------------------------------------------

#define PROCESS_TERMINATE 0x0001
#define PROCESS_VM_READ 0x0010
#define PROCESS_QUERY_INFORMATION 0x0400
#define PROCESS_QUERY_LIMITED_INFORMATION 0x1000
#define PROCESS_ALL_ACCESS 0x001FFFFF

// A handle on process id with the given rights. A process that does not exist (or is a
// zombie): null with ERROR_INVALID_PARAMETER; PROCESS_TERMINATE on another user's process:
// null with ERROR_ACCESS_DENIED.
HANDLE OpenProcess(DWORD access, BOOL inheritHandle, DWORD processId);
// STILL_ACTIVE while the process runs; afterwards the code given to our TerminateProcess,
// or 0 (the exit status of a process that is not our child cannot be known). Needs a query
// right (else ERROR_ACCESS_DENIED).
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);
// SIGKILL to the process; returns at once. Needs PROCESS_TERMINATE; a process that has
// already ended: FALSE with ERROR_ACCESS_DENIED.
BOOL TerminateProcess(HANDLE process, UINT exitCode);
// The id of a process handle (GetCurrentProcess() included); 0 with ERROR_INVALID_HANDLE.
DWORD GetProcessId(HANDLE process);
// The process's executable as a Windows path ("Z:\..."). size: characters in, written out.
BOOL QueryFullProcessImageNameA(HANDLE process, DWORD flags, LPSTR name, PDWORD size);
// The same path (there are no device names here); the characters written, 0 on failure.
DWORD GetProcessImageFileNameA(HANDLE process, LPSTR name, DWORD size);

// --- Launching through the shell -----------------------------------------------------------

#define SEE_MASK_DEFAULT 0x00000000
#define SEE_MASK_NOCLOSEPROCESS 0x00000040
#define SEE_MASK_FLAG_NO_UI 0x00000400
#define SEE_MASK_NOASYNC 0x00000100
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_OOM 8
#define SE_ERR_NOASSOC 31
#ifndef ERROR_NO_ASSOCIATION
#define ERROR_NO_ASSOCIATION 1155L
#endif

typedef struct _SHELLEXECUTEINFOA {
    DWORD cbSize;
    ULONG fMask;
    HWND hwnd;
    LPCSTR lpVerb;
    LPCSTR lpFile;
    LPCSTR lpParameters;
    LPCSTR lpDirectory;
    int nShow;
    HINSTANCE hInstApp;
    void* lpIDList;
    LPCSTR lpClass;
    HKEY hkeyClass;
    DWORD dwHotKey;
    union {
        HANDLE hIcon;
        HANDLE hMonitor;
    };
    HANDLE hProcess;
} SHELLEXECUTEINFOA, *LPSHELLEXECUTEINFOA;

// Starts lpFile (a Windows path; the verb must be null or "open", else ERROR_NO_ASSOCIATION) with lpParameters split
// into arguments as a command line is (blanks separate, double quotes group) and the working
// folder lpDirectory (null: the current one). The program is detached and outlives us.
// With SEE_MASK_NOCLOSEPROCESS, hProcess receives a process handle (GetProcessId gives its
// id). A missing file: FALSE, ERROR_FILE_NOT_FOUND, hInstApp SE_ERR_FNF; a missing folder:
// ERROR_PATH_NOT_FOUND, SE_ERR_PNF; a file that cannot run: ERROR_ACCESS_DENIED,
// SE_ERR_ACCESSDENIED. The function returns once the program runs.
BOOL ShellExecuteExA(SHELLEXECUTEINFOA* info);
