// Platform facts on Windows: Wine is recognised by the export ntdll.dll carries only there.
#include "platform/PlatformInfo.h"
#include "platform/Win32.h"

namespace ovs::platform {

bool isWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool isPosixSubstitute() {
    return false;
}

bool runsAsSuperuser() {
    return false;
}

int processExitStatus(std::int32_t code) {
    return code;
}

std::string windowsPathOf(const std::string& nativePath) {
    return nativePath;
}

std::string nativePathOf(const std::string& windowsPath) {
    return windowsPath;
}

} // namespace ovs::platform
