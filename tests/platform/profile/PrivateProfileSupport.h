// Shared pieces of the private-profile conformance tests: a private folder with raw file
// access and readable bytes; sentinels and Wine's deviations come from Conformance.h.
#pragma once
#include "Conformance.h"
#include "TestFolders.h"
#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>

namespace ovs::test {

class PrivateProfileTest : public ::testing::Test {
protected:
    // The file's name in the framework's Windows form.
    std::string path(const std::string& name = "test.ini") const { return folder_ / name; }

    void writeBytes(const std::string& bytes) const { writeFileBytes(folder_.native() / "test.ini", bytes); }

    // The file's bytes, or nullopt when it does not exist.
    std::optional<std::string> readBytes() const { return fileBytes(folder_.native() / "test.ini"); }

    // Sets up the file: nullopt removes it.
    void prepare(const std::optional<std::string>& content) const {
        std::error_code ignored;
        std::filesystem::remove(folder_.native() / "test.ini", ignored);
        if (content) {
            writeBytes(*content);
        }
    }

    const TempFolder& folder() const { return folder_; }

private:
    TempFolder windowsDirectory_;
    // Files named without a folder (and win.ini) are looked up in the POSIX substitute's Windows
    // directory: a private one here, so that no test touches the user's own. Windows ignores the
    // variable; under Wine the prefix's Windows directory is private to the build.
    ScopedVariable windowsDirectoryVariable_{"OVS_WINDOWS_DIR", windowsDirectory_.path()};
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
