// Platform facts on POSIX: never Wine; host paths appear on drive Z:.
#include "platform/PlatformInfo.h"
#include "ZPath.h"

namespace ovs::platform {

bool isWine() { return false; }

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

} // namespace ovs::platform
