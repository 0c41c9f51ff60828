// Conformance of SHGetFolderPathA for the application-data folder, and the substitute's rule
// for finding that folder on POSIX.
#include "Conformance.h"
#include "TestFolders.h"

#include <gtest/gtest.h>

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

TEST(ShellFolderSubstitute, FolderComesFromXdgConfigHomeThenHomeAndIsMadeOnRequest) {
    if (!ovs::platform::isPosixSubstitute()) {
        GTEST_SKIP() << "the XDG rule belongs to the POSIX substitute";
    }
    ovs::test::ScopedVariable xdg("XDG_CONFIG_HOME", ""), home("HOME", ""); // "": unset
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
                 {"relative", "", E_FAIL, ""},
                 {"", "home/u", E_FAIL, ""},
                 {"relative/cfg", "./u", E_FAIL, ""}};
    for (const auto& c : cases) {
        xdg.set(c.xdg);
        home.set(c.home);
        HRESULT result = 0;
        const std::string folder = applicationData(result);
        EXPECT_EQ(c.result, result) << c.xdg << " / " << c.home;
        EXPECT_EQ(c.folder, folder) << c.xdg << " / " << c.home;
    }
    // The folder is made, with every missing level, only when the call asks for it.
    ovs::test::TempFolder temp;
    const auto target = temp.native() / "a" / "b";
    xdg.set(target.string());
    HRESULT result = 0;
    EXPECT_EQ(ovs::platform::windowsPathOf(target.string()), applicationData(result));
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_EQ(ovs::platform::windowsPathOf(target.string()),
              applicationData(result, CSIDL_APPDATA | CSIDL_FLAG_CREATE));
    EXPECT_EQ(S_OK, result);
    EXPECT_TRUE(std::filesystem::is_directory(target));
}

} // namespace
