// Conformance of the basic Win32 surface: the last-error value and handle closing.
#include "Conformance.h"
#include "platform/Win32.h"

#include <gtest/gtest.h>

TEST(LastErrorConformance, SetThenGetReturnsTheValue) {
    for (DWORD code : {DWORD(0), DWORD(ERROR_FILE_NOT_FOUND), DWORD(ERROR_MORE_DATA), DWORD(0xFFFFFFFF)}) {
        SetLastError(code);
        EXPECT_EQ(code, GetLastError());
    }
}

TEST(LastErrorConformance, ClosingAnUnknownHandleFailsWithInvalidHandle) {
    HANDLE unknown = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x7FFFFFF0));
    EXPECT_TRUE(ovs::test::failsWith(FALSE, ERROR_INVALID_HANDLE, [&] { return CloseHandle(unknown); }));
}
