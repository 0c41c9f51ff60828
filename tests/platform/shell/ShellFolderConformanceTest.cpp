// Conformance of SHGetFolderPathA for the application-data folder, and the substitute's rule
// for finding that folder on POSIX.
#include "platform/ChildProcess.h"
#include "platform/PlatformInfo.h"
#include "platform/Win32.h"
#include "TestFolders.h"

#include <gtest/gtest.h>
#include <cstdlib>

namespace {

// Sets a variable for the scope of one test case and puts the old value back afterwards.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : name_(name) {
        const char* old = std::getenv(name);
        hadOld_ = old != nullptr;
        old_ = hadOld_ ? old : "";
        set(value);
    }
    ~ScopedVariable() {
        if (hadOld_) {
            set(old_);
        } else {
            unset();
        }
    }
    void unset() { ovs::platform::setEnvironmentVariable(name_, ""); }

private:
    void set(const std::string& value) { ovs::platform::setEnvironmentVariable(name_, value); }
    std::string name_;
    std::string old_;
    bool hadOld_ = false;
};

std::string applicationData(HRESULT& result, int folder = CSIDL_APPDATA) {
    char path[MAX_PATH] = "untouched";
    result = SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

} // namespace

TEST(ShellFolderConformance, ApplicationDataIsAnAbsolutePathWithoutTrailingSeparator) {
    HRESULT result = 0;
    std::string folder = applicationData(result);
    ASSERT_EQ(S_OK, result);
    ASSERT_GE(folder.size(), 3u);
    EXPECT_EQ(':', folder[1]);
    EXPECT_EQ('\\', folder[2]);
    EXPECT_NE('\\', folder.back());
}

TEST(ShellFolderConformance, AnUnknownFolderIdIsAnInvalidArgument) {
    HRESULT result = 0;
    applicationData(result, 0xff);
    EXPECT_EQ(E_INVALIDARG, result);
}

TEST(ShellFolderSubstitute, FolderComesFromXdgConfigHomeThenHome) {
    if (!ovs::platform::isPosixSubstitute()) {
        GTEST_SKIP() << "the XDG rule belongs to the POSIX substitute";
    }
    struct Case {
        const char* xdg;   // nullptr: unset
        const char* home;  // nullptr: unset
        HRESULT result;
        const char* folder;
    };
    const Case cases[] = {
        {"/cfg/here", "/home/u", S_OK, "Z:\\cfg\\here"},
        {"/cfg/here/", "/home/u", S_OK, "Z:\\cfg\\here"},
        {"relative/cfg", "/home/u", S_OK, "Z:\\home\\u\\.config"},
        {"", "/home/u", S_OK, "Z:\\home\\u\\.config"},
        {nullptr, "/home/u/", S_OK, "Z:\\home\\u\\.config"},
        {nullptr, "", E_FAIL, ""},
        {nullptr, nullptr, E_FAIL, ""},
        {"relative", nullptr, E_FAIL, ""},
    };
    for (const Case& c : cases) {
        ScopedVariable xdg("XDG_CONFIG_HOME", c.xdg != nullptr ? c.xdg : "");
        ScopedVariable home("HOME", c.home != nullptr ? c.home : "");
        if (c.xdg == nullptr) {
            xdg.unset();
        }
        if (c.home == nullptr) {
            home.unset();
        }
        HRESULT result = 0;
        std::string folder = applicationData(result);
        SCOPED_TRACE(std::string(c.xdg ? c.xdg : "(unset)") + " / " + (c.home ? c.home : "(unset)"));
        EXPECT_EQ(c.result, result);
        EXPECT_EQ(c.folder, folder);
    }
}

TEST(ShellFolderSubstitute, CreateFlagMakesEveryMissingLevel) {
    if (!ovs::platform::isPosixSubstitute()) {
        GTEST_SKIP() << "the XDG rule belongs to the POSIX substitute";
    }
    ovs::test::TempFolder temp;
    auto target = temp.native() / "a" / "b";
    ScopedVariable xdg("XDG_CONFIG_HOME", target.string());
    HRESULT result = 0;
    applicationData(result);
    EXPECT_EQ(S_OK, result);
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_EQ(ovs::platform::windowsPathOf(target.string()), applicationData(result, CSIDL_APPDATA | CSIDL_FLAG_CREATE));
    EXPECT_EQ(S_OK, result);
    EXPECT_TRUE(std::filesystem::is_directory(target));
}
