// The system calls that ovs::Process, the Acrobat control and the tool's run flow make
// directly (not through the run-time table), and the one WOW64 query behind
// ovs::isWow64Process: one table of function pointers, so that a test can put a failing
// TerminateProcess, a Sleep that records instead of waiting, or an IsWow64Process with another
// answer in place. Production code never changes it. It is not the seam of every system call:
// the task-file code (TaskFile, RequestTask, Task, TaskDeleter, whose check of a pending
// request's writer opens the process itself) and the inspector call the Win32 functions
// directly, and no file function has a table.
#pragma once
#include "platform/Win32.h"

namespace ovs {

struct ProcessCalls {
    HANDLE(WINAPI* openProcess)(DWORD access, BOOL inheritHandle, DWORD processId);
    BOOL(WINAPI* getExitCodeProcess)(HANDLE process, LPDWORD exitCode);
    BOOL(WINAPI* terminateProcess)(HANDLE process, UINT exitCode);
    BOOL(WINAPI* shellExecuteEx)(SHELLEXECUTEINFOA* info);
    void(WINAPI* sleep)(DWORD milliseconds);
    BOOL(WINAPI* isWow64Process)(HANDLE process, PBOOL wow64);
};

// The calls in use (the system's own unless a test replaced some).
ProcessCalls& processCalls();

// The system's own calls.
ProcessCalls systemProcessCalls();

// True when this is a 32-bit process on 64-bit Windows: IsWow64Process for the current
// process (through processCalls) succeeds and says so; false when the query fails. The one
// WOW64 query of the framework and the tool: registry views and the Wow6432Node keys follow it.
bool isWow64Process();

// Puts a set of calls in place for its lifetime and restores the previous set afterwards.
class ScopedProcessCalls {
public:
    explicit ScopedProcessCalls(const ProcessCalls& replacement) : saved_(processCalls()) {
        processCalls() = replacement;
    }
    ~ScopedProcessCalls() { processCalls() = saved_; }
    ScopedProcessCalls(const ScopedProcessCalls&) = delete;
    ScopedProcessCalls& operator=(const ScopedProcessCalls&) = delete;

private:
    ProcessCalls saved_;
};

} // namespace ovs
