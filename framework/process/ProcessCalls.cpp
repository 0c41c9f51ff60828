// The table of direct system calls, filled with the system's own functions.
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

} // namespace ovs
