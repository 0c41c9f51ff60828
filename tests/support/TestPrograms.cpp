// Paths of this build's programs and source files in the framework's Windows form.
#include "TestPrograms.h"

#include <algorithm>

namespace ovs::test {

namespace {

// The build passes Unix paths; both the substitute layer and Wine see the Unix root as Z:.
std::string windowsFormOf(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path.empty() || path[0] != '\\' ? path : "Z:" + path;
}

} // namespace

std::string programPath(const std::string& fileName) {
    return windowsFormOf(std::string(OVS_TEST_BIN_DIR) + "/" + fileName);
}

std::string sourcePath(const std::string& relativePath) {
    return windowsFormOf(std::string(OVS_SOURCE_DIR) + "/" + relativePath);
}

std::string withoutCarriageReturns(const std::string& text) {
    std::string result = text;
    result.erase(std::remove(result.begin(), result.end(), '\r'), result.end());
    return result;
}

} // namespace ovs::test
