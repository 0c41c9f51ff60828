// The system-information singleton and the two system queries beside it.
#pragma once
#include "strings/StringBase.h"

#include <vector>

namespace ovs {

// Process-wide (ovs::TSingleton<ovs::SystemInfoImpl>, or created by its ovs::AutoInit):
// the computer's network addresses as far as they are known.
class SystemInfoImpl {
public:
    SystemInfoImpl();
    ~SystemInfoImpl();

    const StringBase<char>& hostName() const { return hostName_; }

private:
    StringBase<char> hostName_;
};

// The process-wide system information, created on first request.
SystemInfoImpl& systemInfo();

// True when the Windows file functions use the ANSI code page (AreFileApisANSI).
bool fileApisAreAnsi();
// True when this is a 32-bit process on 64-bit Windows: IsWow64Process for the current
// process (through ovs::processCalls) succeeds and says so; false when the query fails. The
// one WOW64 query of the framework and the tool: registry views and the Wow6432Node keys
// follow it.
bool isWow64Process();

} // namespace ovs
