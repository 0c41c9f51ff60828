// POSIX substitute: what /proc tells about a process, shared by the snapshot, the process
// handles and the launcher.
#pragma once
#include "platform/posix/base/WinBase.h"

#include <string>
#include <vector>

namespace ovs::posix {

struct ProcessStatus {
    char state = '?'; // R, S, D, Z (zombie), X (dead), ...
    DWORD parentId = 0;
    DWORD threads = 0;
    unsigned long long startTime = 0; // clock ticks after boot: tells a reused id apart
};

// /proc/PID/stat of the process; false when it does not exist.
bool readProcessStatus(DWORD processId, ProcessStatus& status);

// The process exists, is not a zombie and (with a non-zero startTime) is the same process.
bool processActive(DWORD processId, unsigned long long startTime = 0);

// The executable's Unix path from /proc/PID/exe (without the " (deleted)" mark); empty when
// the link cannot be read.
std::string processExecutable(DWORD processId);

// The image name: the file name of the executable, or /proc/PID/comm.
std::string processImageName(DWORD processId);

// The ids of every process in /proc, in ascending order.
std::vector<DWORD> processIds();

} // namespace ovs::posix
