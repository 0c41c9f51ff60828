// The system-information singleton and the file-function query beside it.
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

// True when the Windows file functions use the ANSI code page (AreFileApisANSI). The WOW64
// query (ovs::isWow64Process) sits with the process calls it goes through.
bool fileApisAreAnsi();

} // namespace ovs
