// Conformance of the basic Win32 surface: the handle functions' answer to a handle that was
// never opened. (SetLastError and GetLastError are exercised by every sentinel check.)
#include "Conformance.h"
#include "platform/Win32.h"

#include <gtest/gtest.h>

using ovs::test::failsWith;

TEST(LastErrorConformance, FunctionsOnAnUnknownHandleFailWithInvalidHandle) {
    HANDLE unknown = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x7FFFFFF0));
    DWORD count = 0;
    char buffer[4];
    LARGE_INTEGER size;
    EXPECT_TRUE(failsWith(FALSE, ERROR_INVALID_HANDLE, [&] { return CloseHandle(unknown); }));
    EXPECT_TRUE(failsWith(FALSE, ERROR_INVALID_HANDLE, [&] { return ReadFile(unknown, buffer, 4, &count, nullptr); }));
    EXPECT_TRUE(failsWith(FALSE, ERROR_INVALID_HANDLE, [&] { return GetFileSizeEx(unknown, &size); }));
    EXPECT_TRUE(failsWith(INVALID_SET_FILE_POINTER, ERROR_INVALID_HANDLE,
                          [&] { return SetFilePointer(unknown, 0, nullptr, FILE_BEGIN); }));
    EXPECT_TRUE(failsWith(FALSE, ERROR_INVALID_HANDLE, [&] { return FindClose(unknown); }));
}
