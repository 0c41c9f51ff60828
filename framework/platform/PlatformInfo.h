// Facts about the platform under the Win32 surface that tests and tools need to know
// without testing the platform themselves.
#pragma once
#include <cstdint>
#include <string>

namespace ovs::platform {

// True when the program runs under Wine (the real Win32 API, but not real Windows).
bool isWine();

// True when the Win32 surface is our POSIX substitute rather than a real Win32 API.
bool isPosixSubstitute();

// True when the program runs with the superuser's rights (POSIX root), for which file
// permissions do not hold; never on Windows.
bool runsAsSuperuser();

// A path of the host's own file system in the Windows form the framework uses:
// "/tmp/x" becomes "Z:\tmp\x" on POSIX; unchanged on Windows.
std::string windowsPathOf(const std::string& nativePath);

// The reverse: a path in the framework's Windows form as the host's file system names it
// ("Z:\tmp\x" becomes "/tmp/x" on POSIX; unchanged on Windows). A path without a Unix
// counterpart (another drive, a UNC path) comes back unchanged.
std::string nativePathOf(const std::string& windowsPath);

// The exit status a 32-bit exit code leaves to the caller. On Windows the code itself. A POSIX
// exit status keeps only its low 8 bits, so there the code becomes those bits, except that a
// code whose low 8 bits are all zero (256, 3072, 2147483648) becomes failedRunExitStatus: a
// run that failed never exits 0.
constexpr int failedRunExitStatus = 255;
int processExitStatus(std::int32_t code);

} // namespace ovs::platform
