// String resources of the program: LoadStringA over the message table.
#include "MessageNumbers.h"
#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace msg = ovs::msg;

TEST(ResourceConformance, LoadsTextsOfTheMessageTable) {
    HMODULE program = GetModuleHandleA(nullptr);
    const struct {
        UINT id;
        const char* text;
    } cases[] = {{msg::FileNotFound, "file %1 not found"},
                 {msg::RegistryNoAccess, "no access to \"%1\" in registration (%2)"},
                 {msg::MonthNames, "JanFebMarAprMayJunJulAugSepOctNovDec"},
                 {msg::AbortedByUser, "%1: aborted by user"},
                 {msg::ModuleIgnored, "Module ignored. Embedded English language is used."}};
    for (const auto& c : cases) {
        char buffer[512];
        std::memset(buffer, 'x', sizeof(buffer));
        int length = LoadStringA(program, c.id, buffer, sizeof(buffer));
        EXPECT_EQ(static_cast<int>(std::strlen(c.text)), length) << c.id;
        EXPECT_STREQ(c.text, buffer) << c.id;
        // The null module means the program itself.
        char again[512] = {};
        EXPECT_EQ(length, LoadStringA(nullptr, c.id, again, sizeof(again)));
        EXPECT_STREQ(c.text, again);
    }
}

TEST(ResourceConformance, CutsToTheBufferAndTerminates) {
    char buffer[8];
    std::memset(buffer, 'x', sizeof(buffer));
    int length = LoadStringA(GetModuleHandleA(nullptr), msg::FileNotFound, buffer, 5);
    EXPECT_EQ(4, length);
    EXPECT_STREQ("file", buffer);
    EXPECT_EQ('x', buffer[5]);
}

TEST(ResourceConformance, MissingTextGivesZero) {
    for (UINT id : {4711u, 0u, 1u, 65535u}) {
        char buffer[16] = "unchanged";
        EXPECT_EQ(0, LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof(buffer))) << id;
    }
}
