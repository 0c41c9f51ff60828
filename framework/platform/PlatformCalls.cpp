// The table of platform calls, filled with the system's own functions, and the WOW64 query
// through it.
#include "platform/PlatformCalls.h"

namespace ovs {

namespace {

DWORD openForReading(platform::RegularFileReader& reader, const std::string& path) {
    return reader.open(path);
}

} // namespace

PlatformCalls systemPlatformCalls() {
    PlatformCalls calls{};
    calls.openProcess = &::OpenProcess;
    calls.getExitCodeProcess = &::GetExitCodeProcess;
    calls.terminateProcess = &::TerminateProcess;
    calls.shellExecuteEx = &::ShellExecuteExA;
    calls.sleep = &::Sleep;
    calls.isWow64Process = &::IsWow64Process;
    calls.createFileWith = &platform::createFileWith;
    calls.moveFileEx = &::MoveFileExA;
    calls.openForReading = &openForReading;
    calls.deleteFile = &::DeleteFileA;
    calls.getFileAttributes = &::GetFileAttributesA;
    return calls;
}

PlatformCalls& platformCalls() {
    static PlatformCalls calls = systemPlatformCalls();
    return calls;
}

bool isWow64Process() {
    BOOL wow64 = FALSE;
    return platformCalls().isWow64Process(GetCurrentProcess(), &wow64) != FALSE && wow64 != FALSE;
}

} // namespace ovs
