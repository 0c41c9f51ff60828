// Shared pieces of the private-profile conformance tests: a private folder with raw file
// access and readable bytes; sentinels and Wine's deviations come from Conformance.h.
#pragma once
#include "Conformance.h"
#include "TestFolders.h"
#include "platform/ChildProcess.h"
#include "platform/PlatformInfo.h"
#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>

namespace ovs::test {

// Points the POSIX substitute's Windows directory (files named without a folder, win.ini) at a
// private folder for the life of a test, so that no test touches the user's own. Windows
// ignores the variable; under Wine the prefix's Windows directory is private to the build.
class PrivateWindowsDirectory {
public:
    PrivateWindowsDirectory() { ovs::platform::setEnvironmentVariable("OVS_WINDOWS_DIR", folder_.path()); }
    ~PrivateWindowsDirectory() { ovs::platform::setEnvironmentVariable("OVS_WINDOWS_DIR", saved_); }
    PrivateWindowsDirectory(const PrivateWindowsDirectory&) = delete;
    PrivateWindowsDirectory& operator=(const PrivateWindowsDirectory&) = delete;

private:
    std::string saved_ = std::getenv("OVS_WINDOWS_DIR") != nullptr ? std::getenv("OVS_WINDOWS_DIR") : "";
    TempFolder folder_;
};

class PrivateProfileTest : public ::testing::Test {
protected:
    // The file's name in the framework's Windows form.
    std::string path(const std::string& name = "test.ini") const { return folder_ / name; }

    void writeBytes(const std::string& bytes, const std::string& name = "test.ini") const {
        std::ofstream(folder_.native() / name, std::ios::binary | std::ios::trunc) << bytes;
    }

    // The file's bytes, or nullopt when it does not exist.
    std::optional<std::string> readBytes(const std::string& name = "test.ini") const {
        std::ifstream in(folder_.native() / name, std::ios::binary);
        return in ? std::optional<std::string>(std::string(std::istreambuf_iterator<char>(in), {})) : std::nullopt;
    }

    // Sets up the file: nullopt removes it.
    void prepare(const std::optional<std::string>& content, const std::string& name = "test.ini") const {
        std::error_code ignored;
        std::filesystem::remove(folder_.native() / name, ignored);
        if (content) {
            writeBytes(*content, name);
        }
    }

    const TempFolder& folder() const { return folder_; }

private:
    PrivateWindowsDirectory windowsDirectory_;
    TempFolder folder_;
};

// Bytes shown readably in failure messages: \r, \n, \0, \\ and non-printing bytes escaped.
inline std::string visible(const std::string& bytes) {
    std::string out;
    for (char c : bytes) {
        const unsigned char u = static_cast<unsigned char>(c);
        const std::string named = c == '\r' ? "\\r" : c == '\n' ? "\\n" : c == '\0' ? "\\0" : c == '\\' ? "\\\\" : "";
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", u);
        out += !named.empty() ? named : (u < 0x20 || u >= 0x7F) ? std::string(hex) : std::string(1, c);
    }
    return out;
}

} // namespace ovs::test
