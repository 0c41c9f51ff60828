// Facts about the platform under the Win32 surface that tests and tools need to know
// without testing the platform themselves.
#pragma once
#include <string>

namespace ovs::platform {

// True when the program runs under Wine (the real Win32 API, but not real Windows).
bool isWine();

// A path of the host's own file system in the Windows form the framework uses:
// "/tmp/x" becomes "Z:\tmp\x" on POSIX; unchanged on Windows.
std::string windowsPathOf(const std::string& nativePath);

} // namespace ovs::platform
