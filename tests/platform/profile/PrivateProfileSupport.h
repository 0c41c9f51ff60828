// Shared pieces of the private-profile conformance tests: a private folder with raw file
// access; sentinels and Wine's deviations come from Conformance.h. Failure messages show bytes
// as GoogleTest prints strings, with \r, \n, \0 and other non-printing bytes escaped.
#pragma once
#include "Conformance.h"
#include "TestFolders.h"
#include "platform/Win32.h"

#include <gtest/gtest.h>

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

} // namespace ovs::test
