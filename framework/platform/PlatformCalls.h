// The platform calls that a test may need to answer otherwise: one table of function pointers
// for the process calls of ovs::Process, the Acrobat control and the run flow (open, exit code,
// terminate, start, the one WOW64 query behind ovs::isWow64Process), for Sleep (every wait of
// the run flow and the Acrobat control), and for the file calls the tool makes on the files of
// its task folder: the write of a request or of the marker of the waiting run, the move of the
// request to its task name, the open of a task-folder entry for reading (taskfile::EntryReader,
// which every reader of a task file's bytes goes through: the poll, the clear mode, the
// inspector), the removal of the clear mode, and the look at Acrobat's program file. A test can
// put a failing TerminateProcess, a Sleep that records instead of waiting, a full disk, a
// refused move or delete, or a file that vanishes before its open or removal in place.
// Production code never changes the table.
// Not in it, calling the system directly: the reads and the status of an entry once it is open
// (a file removed after its open still reads to its end, on POSIX and, shared for deletion, on
// Windows: a vanished file shows at the open), the look whether a name whose open failed is a
// file at all, the folder listings (platform::namesMatching, the directory walk, the
// inspector's search), GuardedFiles' identity checks and the removal of the run's own pending
// request and marker (regularFileIdentity, removeOwnFile, othersMaySwapEntries), the creation
// of the task folder, the control file's own open of a task file (Task::openForReading), and
// the registry.
#pragma once
#include "platform/GuardedFiles.h"
#include "platform/Win32.h"

#include <string>

namespace ovs {

struct PlatformCalls {
    // Processes and waiting.
    HANDLE(WINAPI* openProcess)(DWORD access, BOOL inheritHandle, DWORD processId);
    BOOL(WINAPI* getExitCodeProcess)(HANDLE process, LPDWORD exitCode);
    BOOL(WINAPI* terminateProcess)(HANDLE process, UINT exitCode);
    BOOL(WINAPI* shellExecuteEx)(SHELLEXECUTEINFOA* info);
    void(WINAPI* sleep)(DWORD milliseconds);
    BOOL(WINAPI* isWow64Process)(HANDLE process, PBOOL wow64);
    // Files: platform::createFileWith, MoveFileExA, an open of reader on path that returns
    // ERROR_SUCCESS or the error of the refused open (platform::RegularFileReader::open),
    // DeleteFileA and GetFileAttributesA.
    DWORD (*createFileWith)(const std::string& path, const std::string& bytes, platform::FileIdentity& identity);
    BOOL(WINAPI* moveFileEx)(LPCSTR existing, LPCSTR replacement, DWORD flags);
    DWORD (*openForReading)(platform::RegularFileReader& reader, const std::string& path);
    BOOL(WINAPI* deleteFile)(LPCSTR path);
    DWORD(WINAPI* getFileAttributes)(LPCSTR path);
};

// The calls in use (the system's own unless a test replaced some).
PlatformCalls& platformCalls();

// The system's own calls.
PlatformCalls systemPlatformCalls();

// True when this is a 32-bit process on 64-bit Windows: IsWow64Process for the current
// process (through platformCalls) succeeds and says so; false when the query fails. The one
// WOW64 query of the framework and the tool: registry views and the Wow6432Node keys follow it.
bool isWow64Process();

// Puts a set of calls in place for its lifetime and restores the previous set afterwards.
class ScopedPlatformCalls {
public:
    explicit ScopedPlatformCalls(const PlatformCalls& replacement) : saved_(platformCalls()) {
        platformCalls() = replacement;
    }
    ~ScopedPlatformCalls() { platformCalls() = saved_; }
    ScopedPlatformCalls(const ScopedPlatformCalls&) = delete;
    ScopedPlatformCalls& operator=(const ScopedPlatformCalls&) = delete;

private:
    PlatformCalls saved_;
};

} // namespace ovs
