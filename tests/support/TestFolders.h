// Private temporary folders for tests: unique per test, removed afterwards, given in the
// Windows form the framework uses (Z:\... natively, C:\... under Wine).
#pragma once
#include <filesystem>
#include <string>

namespace ovs::test {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder in the framework's Windows form, without a trailing separator.
    const std::string& path() const { return windowsPath_; }
    // The folder as the host's file system names it (for std::filesystem in tests).
    const std::filesystem::path& native() const { return native_; }
    // path() joined with a name.
    std::string operator/(const std::string& name) const { return windowsPath_ + "\\" + name; }

private:
    std::filesystem::path native_;
    std::string windowsPath_;
};

} // namespace ovs::test
