// The table of direct system calls, filled with the system's own functions, and the WOW64
// query through it.
#include "process/ProcessCalls.h"

namespace ovs {

ProcessCalls systemProcessCalls() {
    return ProcessCalls{&::OpenProcess, &::GetExitCodeProcess, &::TerminateProcess, &::ShellExecuteExA,
                        &::Sleep,       &::IsWow64Process};
}

ProcessCalls& processCalls() {
    static ProcessCalls calls = systemProcessCalls();
    return calls;
}

bool isWow64Process() {
    BOOL wow64 = FALSE;
    return processCalls().isWow64Process(GetCurrentProcess(), &wow64) != FALSE && wow64 != FALSE;
}

} // namespace ovs
