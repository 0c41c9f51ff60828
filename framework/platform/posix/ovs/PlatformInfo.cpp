// Platform facts on POSIX: never Wine; host paths appear on drive Z:.
#include "platform/PlatformInfo.h"
#include "platform/posix/file/ZPath.h"

#include <unistd.h>

namespace ovs::platform {

bool isWine() {
    return false;
}

bool isPosixSubstitute() {
    return true;
}

bool runsAsSuperuser() {
    return ::geteuid() == 0;
}

int processExitStatus(std::int32_t code) {
    int status = static_cast<int>(static_cast<std::uint32_t>(code) & 0xFFu);
    return code != 0 && status == 0 ? failedRunExitStatus : status;
}

std::string windowsPathOf(const std::string& nativePath) {
    if (!nativePath.empty() && nativePath[0] == '/') {
        return ovs::posix::windowsPathFrom(nativePath);
    }
    std::string result = nativePath;
    for (char& c : result) {
        if (c == '/') {
            c = '\\';
        }
    }
    return result;
}

std::string nativePathOf(const std::string& windowsPath) {
    std::string unixPath;
    return ovs::posix::unixPathFrom(windowsPath.c_str(), unixPath) ? unixPath : windowsPath;
}

} // namespace ovs::platform
