// System information and queries.
#include "runtime/SystemInfo.h"
#include "platform/Win32.h"
#include "runtime/Singleton.h"

#include <cstdlib>

namespace ovs {

SystemInfoImpl::SystemInfoImpl() {
    // The computer name as the environment gives it on Windows; empty elsewhere.
    if (const char* name = std::getenv("COMPUTERNAME")) {
        hostName_ = name;
    }
}

SystemInfoImpl::~SystemInfoImpl() = default;

SystemInfoImpl& systemInfo() {
    return TSingleton<SystemInfoImpl>::instance();
}

bool fileApisAreAnsi() {
    return AreFileApisANSI() != FALSE;
}

} // namespace ovs
