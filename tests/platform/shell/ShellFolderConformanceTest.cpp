// Conformance of SHGetFolderPathA for the application-data folder, and the substitute's rule
// for finding that folder on POSIX.
#include "platform/ChildProcess.h"
#include "platform/PlatformInfo.h"
#include "platform/Win32.h"
#include "TestFolders.h"

#include <gtest/gtest.h>
#include <cstdlib>

namespace {

std::string applicationData(HRESULT& result, int folder = CSIDL_APPDATA) {
    char path[MAX_PATH] = "untouched";
    result = SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

TEST(ShellFolderConformance, ApplicationDataIsAnAbsolutePathWithoutTrailingSeparator) {
    HRESULT result = 0;
    const std::string folder = applicationData(result);
    ASSERT_EQ(S_OK, result);
    ASSERT_GE(folder.size(), 3u);
    EXPECT_EQ(":\\", folder.substr(1, 2));
    EXPECT_NE('\\', folder.back());
    applicationData(result, 0xff); // an unknown folder id
    EXPECT_EQ(E_INVALIDARG, result);
}

// Sets XDG_CONFIG_HOME and HOME ("": unset) for one row and puts the old values back afterwards.
class ShellFolderSubstitute : public testing::Test {
protected:
    void SetUp() override {
        if (!ovs::platform::isPosixSubstitute()) {
            GTEST_SKIP() << "the XDG rule belongs to the POSIX substitute";
        }
    }
    void TearDown() override { set(xdg_.c_str(), home_.c_str()); }
    static void set(const char* xdg, const char* home) {
        ovs::platform::setEnvironmentVariable("XDG_CONFIG_HOME", xdg);
        ovs::platform::setEnvironmentVariable("HOME", home);
    }
    static std::string valueOf(const char* name) { return std::getenv(name) != nullptr ? std::getenv(name) : ""; }

    std::string xdg_ = valueOf("XDG_CONFIG_HOME"), home_ = valueOf("HOME");
};

TEST_F(ShellFolderSubstitute, FolderComesFromXdgConfigHomeThenHome) {
    const struct {
        const char *xdg, *home;
        HRESULT result;
        const char* folder;
    } cases[] = {{"/cfg/here", "/home/u", S_OK, "Z:\\cfg\\here"},
                 {"/cfg/here/", "/home/u", S_OK, "Z:\\cfg\\here"},
                 {"relative/cfg", "/home/u", S_OK, "Z:\\home\\u\\.config"},
                 {"", "/home/u", S_OK, "Z:\\home\\u\\.config"},
                 {"", "/home/u/", S_OK, "Z:\\home\\u\\.config"},
                 {"", "", E_FAIL, ""},
                 {"relative", "", E_FAIL, ""}};
    for (const auto& c : cases) {
        set(c.xdg, c.home);
        HRESULT result = 0;
        const std::string folder = applicationData(result);
        EXPECT_EQ(c.result, result) << c.xdg << " / " << c.home;
        EXPECT_EQ(c.folder, folder) << c.xdg << " / " << c.home;
    }
}

TEST_F(ShellFolderSubstitute, CreateFlagMakesEveryMissingLevel) {
    ovs::test::TempFolder temp;
    const auto target = temp.native() / "a" / "b";
    set(target.string().c_str(), home_.c_str());
    HRESULT result = 0;
    applicationData(result);
    EXPECT_EQ(S_OK, result);
    EXPECT_FALSE(std::filesystem::exists(target));
    const std::string created = applicationData(result, CSIDL_APPDATA | CSIDL_FLAG_CREATE);
    EXPECT_EQ(ovs::platform::windowsPathOf(target.string()), created);
    EXPECT_EQ(S_OK, result);
    EXPECT_TRUE(std::filesystem::is_directory(target));
}

} // namespace
