// The program's own module and the run-time module loader: handles, the program's file name,
// the functions looked up by name, and the string resources (LoadStringA over the message table).
#include "Conformance.h"
#include "MessageNumbers.h"
#include "platform/PlatformInfo.h"
#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using ovs::test::failsWith;
namespace msg = ovs::msg;

// Every function of the process-function table is found through the framework's own loading
// (ProcessApi.OneSharedTableWithEveryFunctionFound); here the look-up's last error and case.
TEST(ModuleConformance, LoaderFindsFunctionsByExactNameAndNoMissingModule) {
    const struct {
        const char* module;
        const char* function;
        bool found;
    } lookups[] = {{"Kernel32.dll", "Process32First", true},
                   {"PsApi.dll", "GetProcessImageFileNameA", true},
                   {"Kernel32.dll", "NoSuchFunction", false},
                   {"Kernel32.dll", "process32first", false}};
    for (const auto& lookup : lookups) {
        HMODULE module = LoadLibraryA(lookup.module);
        ASSERT_NE(nullptr, module) << lookup.module;
        SetLastError(0);
        EXPECT_EQ(lookup.found, GetProcAddress(module, lookup.function) != nullptr) << lookup.function;
        const DWORD error = GetLastError();
        EXPECT_EQ(lookup.found ? error : DWORD(ERROR_PROC_NOT_FOUND), error) << lookup.function;
        EXPECT_TRUE(FreeLibrary(module));
    }
    // The program's own module has one handle, which the loader can release.
    EXPECT_NE(nullptr, GetModuleHandleA(nullptr));
    EXPECT_EQ(GetModuleHandleA(nullptr), GetModuleHandleA(nullptr));
    EXPECT_TRUE(FreeLibrary(GetModuleHandleA(nullptr)));
    EXPECT_TRUE(
        failsWith(HMODULE(nullptr), ERROR_MOD_NOT_FOUND, [] { return GetModuleHandleA("no-such-module-4711.dll"); }));
    EXPECT_TRUE(failsWith(HMODULE(nullptr), ERROR_MOD_NOT_FOUND, [] { return LoadLibraryA("NoSuchModule.dll"); }));
}

TEST(ModuleConformance, FileNameIsTheAbsoluteProgramPath) {
    char name[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, name, MAX_PATH);
    ASSERT_GT(length, 3u);
    const std::string path(name, length);
    EXPECT_EQ(":\\", path.substr(1, 2));
    EXPECT_EQ(0u, path.substr(path.find_last_of('\\') + 1).find("platform_tests")) << path;
    char small[7] = {'x', 'x', 'x', 'x', 'x', 'x', 'x'};
    EXPECT_TRUE(failsWith(DWORD(6), ERROR_INSUFFICIENT_BUFFER, [&] { return GetModuleFileNameA(nullptr, small, 6); }));
    EXPECT_EQ(path.substr(0, 5), std::string(small, 5));
    // Windows cuts to five characters and a terminating zero. Known Wine 8 deviation: it
    // copies six characters and no zero, as Windows XP did.
    ovs::test::expectPart(ovs::test::WineBuffer, ovs::test::WineBuffer, "GetModuleFileNameA_cut", "terminator", '\0',
                          small[5]);
}

TEST(ResourceConformance, LoadsTextsOfTheMessageTable) {
    const struct {
        UINT id;
        const char* text;
    } cases[] = {{msg::FileNotFound, "file %1 not found"},
                 {msg::RegistryNoAccess, "no access to \"%1\" in registration (%2)"},
                 {msg::MonthNames, "JanFebMarAprMayJunJulAugSepOctNovDec"},
                 {msg::AbortedByUser, "%1: aborted by user"},
                 {msg::ModuleIgnored, "Module ignored. Embedded English language is used."},
                 {4711, nullptr},
                 {0, nullptr},
                 {1, nullptr},
                 {65535, nullptr}}; // missing: zero
    for (const auto& c : cases) {
        // The null module means the program itself.
        for (HMODULE module : {GetModuleHandleA(nullptr), HMODULE(nullptr)}) {
            std::string buffer(512, 'x');
            const int length = LoadStringA(module, c.id, buffer.data(), static_cast<int>(buffer.size()));
            EXPECT_EQ(c.text ? static_cast<int>(std::strlen(c.text)) : 0, length) << c.id;
            EXPECT_STREQ(c.text ? c.text : "", c.text ? buffer.c_str() : "") << c.id;
        }
    }
    // A short buffer gets the text cut and terminated, and nothing beyond.
    std::string buffer(8, 'x');
    EXPECT_EQ(4, LoadStringA(GetModuleHandleA(nullptr), msg::FileNotFound, buffer.data(), 5));
    EXPECT_EQ(std::string("file\0x", 6), buffer.substr(0, 6));
}
