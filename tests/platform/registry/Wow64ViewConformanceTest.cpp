// The two registry views of 64-bit Windows as the stores and the Acrobat control meet them: a
// 32-bit program under WOW64 reads and writes the 32-bit view unless it names the 64-bit one
// (KEY_WOW64_64KEY), a 64-bit program reaches the 32-bit view with KEY_WOW64_32KEY. The x64
// build under Wine proves it with explicit flags, the x86 build under WOW64 also for a program
// that names no view. The substitute has one view, as 32-bit Windows has: there the flags are
// accepted and change nothing, and Wow6432Node is a key name like any other.
#include "RegistryTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using ovs::test::registryHasTwoViews;

// Where a case writes and reads: a key under HKEY_LOCAL_MACHINE\SOFTWARE (redirected: its
// 32-bit view lies under SOFTWARE\Wow6432Node), the App Paths key and HKEY_CURRENT_USER\Software.
// "Registry Keys Affected by WOW64" (Microsoft's Win32 documentation, learn.microsoft.com,
// desktop-src/WinProg64/shared-registry-keys.md) lists HKEY_LOCAL_MACHINE\SOFTWARE as
// redirected, but HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths and
// HKEY_CURRENT_USER\SOFTWARE (apart from some keys below Classes) as shared from Windows 7 on:
// one key in both views, so that a 64-bit installer's App Paths entry is a 32-bit program's too.
enum class Key { Redirected, AppPaths, User };
enum class Path { Plain, Twin }; // Twin: the same path with Wow6432Node after its first part

struct Row {
    const char* what;
    Key key;
    REGSAM write; // view flag of the write
    Path path;
    REGSAM read;  // view flag of the read; 0: the program's own view
    bool oneView; // seen in the substitute (one view)
    bool x64;     // seen by a 64-bit program on 64-bit Windows
    bool x86;     // seen by a 32-bit program under WOW64
};

constexpr REGSAM V32 = KEY_WOW64_32KEY, V64 = KEY_WOW64_64KEY;

// clang-format off
const Row rows[] = {
    {"32-bit write, 32-bit read", Key::Redirected, V32, Path::Plain, V32, true, true, true},
    {"32-bit write, 64-bit read", Key::Redirected, V32, Path::Plain, V64, true, false, false},
    {"32-bit write, own view", Key::Redirected, V32, Path::Plain, 0, true, false, true},
    {"32-bit write lands under Wow6432Node", Key::Redirected, V32, Path::Twin, V64, false, true, true},
    // Naming Wow6432Node in the 32-bit view redirects no second time: Wine's own conformance
    // test of the views (dlls/advapi32/tests/registry.c, test_redirection) holds this on
    // Windows 7 and later.
    {"32-bit write, Wow6432Node named in 32-bit view", Key::Redirected, V32, Path::Twin, V32, false, true, true},
    {"64-bit write, 64-bit read", Key::Redirected, V64, Path::Plain, V64, true, true, true},
    {"64-bit write, 32-bit read", Key::Redirected, V64, Path::Plain, V32, true, false, false},
    {"64-bit write, own view", Key::Redirected, V64, Path::Plain, 0, true, true, false},
    {"64-bit write, not under Wow6432Node", Key::Redirected, V64, Path::Twin, V64, false, false, false},
    {"64-bit write, Wow6432Node named in 32-bit view", Key::Redirected, V64, Path::Twin, V32, false, false, false},
    {"own-view write, 32-bit read", Key::Redirected, 0, Path::Plain, V32, true, false, true},
    {"own-view write, 64-bit read", Key::Redirected, 0, Path::Plain, V64, true, true, false},
    {"App Paths shared: 32-bit write, 64-bit read", Key::AppPaths, V32, Path::Plain, V64, true, true, true},
    {"App Paths shared: 32-bit write, own view", Key::AppPaths, V32, Path::Plain, 0, true, true, true},
    {"App Paths shared: 64-bit write, 32-bit read", Key::AppPaths, V64, Path::Plain, V32, true, true, true},
    {"user key shared: 32-bit write, 64-bit read", Key::User, V32, Path::Plain, V64, true, true, true},
    {"user key shared: no Wow6432Node twin", Key::User, V32, Path::Twin, V64, false, false, false},
    {"user key shared: 64-bit write, 32-bit read", Key::User, V64, Path::Plain, V32, true, true, true},
};
// clang-format on

HKEY rootOf(Key key) {
    return key == Key::User ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

// The parent of a case's key, with the Wow6432Node twin's form.
std::string parentOf(Key key, Path path) {
    const std::string software = key == Key::User ? "Software" : "SOFTWARE";
    const std::string top = path == Path::Twin ? software + "\\Wow6432Node" : software;
    return key == Key::AppPaths ? top + "\\Microsoft\\Windows\\CurrentVersion\\App Paths" : top;
}

} // namespace

TEST(RegistryViews, AWriteInOneViewIsSeenWhereWindowsMapsIt) {
    ovs::test::PrivateRegistry registry;
    const bool twoViews = registryHasTwoViews();
    const bool program32 = sizeof(void*) == 4;
    if (!twoViews && !ovs::platform::isPosixSubstitute()) {
        GTEST_SKIP() << "32-bit Windows: no second registry view";
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string name = ovs::test::uniqueKeyName("OvsWow64-") + (row.key == Key::AppPaths ? ".exe" : "");
        const HKEY root = rootOf(row.key);
        const std::string written = parentOf(row.key, Path::Plain) + "\\" + name;
        ovs::test::setValue(root, written, "Where", row.what, REG_SZ, row.write);

        const bool seen = !twoViews ? row.oneView : program32 ? row.x86 : row.x64;
        EXPECT_EQ(seen ? std::string(row.what) + '\0' : "<no key 2>",
                  ovs::test::queryValue(root, parentOf(row.key, row.path) + "\\" + name, "Where", row.read));
        for (REGSAM view : {V32, V64}) {
            ovs::test::deleteKeyTreeInView(root, parentOf(row.key, Path::Plain), name, view);
        }
        for (REGSAM view : {V32, V64}) {
            EXPECT_EQ("<no key 2>", ovs::test::queryValue(root, written, "Where", view)) << view;
        }
    }
}

// What IsWow64Process says of the running program: true only for a 32-bit program on 64-bit
// Windows, whose environment then names the machine's own architecture in
// PROCESSOR_ARCHITEW6432 ("WOW64 Implementation Details", Microsoft's Win32 documentation).
TEST(RegistryViews, IsWow64ProcessIsTrueExactlyForA32BitProgramOn64BitWindows) {
    BOOL wow64 = 2;
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
    if (ovs::platform::isPosixSubstitute() || sizeof(void*) == 8) {
        EXPECT_EQ(FALSE, wow64); // a native or 64-bit program never runs under WOW64
        GTEST_SKIP() << "the WOW64 case runs in the 32-bit Windows build only";
    }
    const char* machine = std::getenv("PROCESSOR_ARCHITEW6432");
    if (machine == nullptr) {
        EXPECT_EQ(FALSE, wow64);
        GTEST_SKIP() << "a 32-bit program on 32-bit Windows: the WOW64 case needs 64-bit Windows (or a 64-bit Wine "
                        "prefix, which needs 32-bit programs to run on the host)";
    }
    EXPECT_EQ(TRUE, wow64) << "PROCESSOR_ARCHITEW6432=" << machine;
}

// A sub-key opened from a handle on HKEY_LOCAL_MACHINE\SOFTWARE: on Windows 7 and later a handle
// in the 64-bit tree reaches the 32-bit key when the sub-key is opened with KEY_WOW64_32KEY,
// while a handle in the 32-bit tree (under Wow6432Node) stays there even with KEY_WOW64_64KEY.
// Wine's own conformance test of the views (dlls/advapi32/tests/registry.c, test_redirection)
// holds both on Windows; for a 64-bit program it marks the first as not yet so under Wine 8,
// which keeps the parent's view: asserted on Windows, recorded as Wine's deviation. The stores
// never meet it, since they open every level in one view.
TEST(RegistryViews, ASubKeysViewFollowsWhereItsParentLies) {
    ovs::test::PrivateRegistry registry;
    const bool twoViews = registryHasTwoViews();
    if (!twoViews && !ovs::platform::isPosixSubstitute()) {
        GTEST_SKIP() << "32-bit Windows: no second registry view";
    }
    const std::string name = ovs::test::uniqueKeyName("OvsWow64-");
    ovs::test::setValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\" + name, "Where", "64", REG_SZ, V64);
    ovs::test::setValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\" + name, "Where", "32", REG_SZ, V32);
    struct Case {
        REGSAM parent, child;
        const char* expected;   // on 64-bit Windows; the substitute's one key holds the last write, "32"
        unsigned wineDiffers64; // for a 64-bit program under Wine
    } const cases[] = {{V64, V32, "32", ovs::test::WineBuffer},
                       {V32, V64, "32", ovs::test::WineSame},
                       {V64, V64, "64", ovs::test::WineSame}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "parent " << c.parent << ", sub-key " << c.child);
        HKEY software = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ | c.parent, &software));
        const std::string value = ovs::test::queryValue(software, name, "Where", c.child);
        EXPECT_EQ(std::string::npos, value.find('<')) << value; // the sub-key opens and its value reads
        ovs::test::expectPart(sizeof(void*) == 8 ? c.wineDiffers64 : ovs::test::WineSame, ovs::test::WineBuffer,
                              "subkey_view_" + std::to_string(c.parent) + "_" + std::to_string(c.child), "value",
                              std::string(twoViews ? c.expected : "32"), std::string(value.c_str()));
        RegCloseKey(software);
    }
    for (REGSAM view : {V32, V64}) {
        ovs::test::deleteKeyTreeInView(HKEY_LOCAL_MACHINE, "SOFTWARE", name, view);
    }
}
