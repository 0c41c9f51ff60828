// The program's own module: its handle and its file name.
#include "platform/PlatformInfo.h"
#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <string>

TEST(ModuleConformance, ProgramModuleHasAStableHandle) {
    HMODULE program = GetModuleHandleA(nullptr);
    EXPECT_NE(nullptr, program);
    EXPECT_EQ(program, GetModuleHandleA(nullptr));
}

TEST(ModuleConformance, UnloadedModuleIsNotFound) {
    SetLastError(0);
    EXPECT_EQ(nullptr, GetModuleHandleA("no-such-module-4711.dll"));
    EXPECT_EQ(DWORD(ERROR_MOD_NOT_FOUND), GetLastError());
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
    SetLastError(0);
    EXPECT_EQ(6u, GetModuleFileNameA(nullptr, small, 6));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(path.substr(0, 5), std::string(small, 5));
    // Windows cuts to five characters and a terminating zero. Known Wine 8 deviation: it
    // copies six characters and no zero, as Windows XP did.
    if (!ovs::platform::isWine()) {
        EXPECT_EQ('\0', small[5]);
    }
}
