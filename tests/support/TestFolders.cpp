// Private temporary folders for tests.
#include "TestFolders.h"
#include "platform/PlatformInfo.h"

#include <atomic>
#include <chrono>
#include <system_error>

namespace ovs::test {

TempFolder::TempFolder() {
    static std::atomic<unsigned> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (;;) {
        std::filesystem::path candidate = std::filesystem::temp_directory_path() /
                                          ("ovs-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        std::error_code error;
        if (std::filesystem::create_directory(candidate, error)) {
            native_ = candidate;
            break;
        }
    }
    windowsPath_ = ovs::platform::windowsPathOf(native_.string());
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(native_, ignored);
}

} // namespace ovs::test
