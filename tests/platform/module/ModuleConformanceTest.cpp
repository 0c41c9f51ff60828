// The program's own module: its handle and its file name.
#include "Conformance.h"
#include "platform/PlatformInfo.h"
#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <string>

using ovs::test::failsWith;

TEST(ModuleConformance, ProgramModuleHasAStableHandle) {
    HMODULE program = GetModuleHandleA(nullptr);
    EXPECT_NE(nullptr, program);
    EXPECT_EQ(program, GetModuleHandleA(nullptr));
}

TEST(ModuleConformance, UnloadedModuleIsNotFound) {
    EXPECT_TRUE(
        failsWith(HMODULE(nullptr), ERROR_MOD_NOT_FOUND, [] { return GetModuleHandleA("no-such-module-4711.dll"); }));
}

TEST(ModuleConformance, FileNameIsTheAbsoluteProgramPath) {
    char name[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameA(nullptr, name, MAX_PATH);
    ASSERT_GT(length, 3u);
    std::string path(name, length);
    EXPECT_EQ(':', path[1]);
    EXPECT_EQ('\\', path[2]);
    std::string file = path.substr(path.find_last_of('\\') + 1);
    EXPECT_EQ(0u, file.find("platform_tests")) << path;

    char small[7] = {'x', 'x', 'x', 'x', 'x', 'x', 'x'};
    EXPECT_TRUE(failsWith(DWORD(6), ERROR_INSUFFICIENT_BUFFER, [&] { return GetModuleFileNameA(nullptr, small, 6); }));
    EXPECT_EQ(path.substr(0, 5), std::string(small, 5));
    // Windows cuts to five characters and a terminating zero. Known Wine 8 deviation: it
    // copies six characters and no zero, as Windows XP did.
    ovs::test::expectPart(ovs::test::WineBuffer, ovs::test::WineBuffer, "GetModuleFileNameA_cut", "terminator", '\0',
                          small[5]);
}
