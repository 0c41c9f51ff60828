// Conformance of the Win32 functions on names: CreateDirectoryA, DeleteFileA,
// GetFileAttributesA and SetCurrentDirectoryA, with their last-error codes.
#include "FileTestSupport.h"
#include "platform/PlatformInfo.h"

#include <gtest/gtest.h>

using namespace ovs::test;

namespace {

// Each row runs in a fresh folder holding file.txt, .hidden and folder\.
struct NameCase {
    const char* target;
    DWORD lastError; // 0: succeeds
    DWORD kind = 0;  // the attributes' directory, hidden and read-only bits where they succeed
};

void forEachRow(const std::vector<NameCase>& rows, void (*check)(const InPrivateFolder&, const NameCase&)) {
    for (const NameCase& row : rows) {
        SCOPED_TRACE(row.target);
        InPrivateFolder here;
        here.makeFile("file.txt", "x");
        here.makeFile(".hidden", "x");
        here.makeFolder("folder");
        check(here, row);
    }
}

TEST(DirectoryConformance, DeleteFileResultAndLastError) {
    forEachRow({{"file.txt", 0},
                {"folder", ERROR_ACCESS_DENIED},
                {"nothing.txt", ERROR_FILE_NOT_FOUND},
                {"nowhere\\file.txt", ERROR_PATH_NOT_FOUND},
                {"file.txt\\x", ERROR_PATH_NOT_FOUND}},
               [](const InPrivateFolder& here, const NameCase& c) {
                   BOOL result = FALSE;
                   const DWORD error = lastErrorOf([&] { result = DeleteFileA((here.folder() / c.target).c_str()); });
                   EXPECT_EQ(c.lastError == 0, bool(result));
                   EXPECT_EQ(c.lastError == 0 ? error : c.lastError, error);
                   EXPECT_TRUE(c.lastError != 0 || !here.exists(c.target));
               });
}

TEST(DirectoryConformance, GetFileAttributesKindOrLastError) {
    forEachRow({{"file.txt", 0},
                {"folder", 0, FILE_ATTRIBUTE_DIRECTORY},
                {"folder\\", 0, FILE_ATTRIBUTE_DIRECTORY},
                {".hidden", 0, FILE_ATTRIBUTE_HIDDEN}, // a dot name is hidden
                {"file.txt.", 0},                      // a trailing dot is ignored
                {"nothing", ERROR_FILE_NOT_FOUND},
                {"nowhere\\x", ERROR_PATH_NOT_FOUND}},
               [](const InPrivateFolder& here, const NameCase& c) {
                   const DWORD kindBits = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;
                   DWORD attributes = 0;
                   const DWORD error =
                       lastErrorOf([&] { attributes = GetFileAttributesA((here.folder() / c.target).c_str()); });
                   if (c.lastError != 0) {
                       EXPECT_EQ(INVALID_FILE_ATTRIBUTES, attributes);
                       EXPECT_EQ(c.lastError, error);
                   } else {
                       ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
                       EXPECT_EQ(c.kind, attributes & kindBits) << std::hex << attributes;
                   }
               });
}

TEST(DirectoryConformance, CreateDirectoryResultsAndErrors) {
    InPrivateFolder here;
    here.makeFile("file.txt");
    // In order: the second "a" already exists.
    for (const NameCase& c : std::vector<NameCase>{{"a", 0},
                                                   {"a", ERROR_ALREADY_EXISTS},
                                                   {"file.txt", ERROR_ALREADY_EXISTS},
                                                   {"missing\\b", ERROR_PATH_NOT_FOUND}}) {
        BOOL result = TRUE;
        const DWORD error = lastErrorOf([&] { result = CreateDirectoryA((here.folder() / c.target).c_str(), 0); });
        EXPECT_EQ(c.lastError == 0, bool(result)) << c.target;
        EXPECT_EQ(c.lastError == 0 ? error : c.lastError, error) << c.target;
    }
    EXPECT_TRUE(here.exists("a"));
    EXPECT_TRUE(CreateDirectoryA("relative", nullptr)); // against the current folder
    EXPECT_TRUE(here.exists("relative"));
}

TEST(DirectoryConformance, SetCurrentDirectoryMovesRelativeNamesAndReportsErrors) {
    InPrivateFolder here;
    here.makeFile("sub/inner.txt");
    here.makeFile("file.txt");
    const std::string start = here.current();
    ASSERT_TRUE(SetCurrentDirectoryA("sub"));
    EXPECT_EQ(start + "\\sub", here.current());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("inner.txt"));
    ASSERT_TRUE(SetCurrentDirectoryA(".."));
    EXPECT_EQ(start, here.current());
    for (const NameCase& c : std::vector<NameCase>{{"nothing", ERROR_FILE_NOT_FOUND},
                                                   {"nowhere\\deeper", ERROR_PATH_NOT_FOUND},
                                                   {"file.txt", ERROR_DIRECTORY}}) {
        EXPECT_TRUE(failsWith(FALSE, c.lastError, [&] { return SetCurrentDirectoryA(c.target); })) << c.target;
    }
    EXPECT_EQ(start, here.current());
}

TEST(DirectoryConformance, AReadOnlyFileReportsItsAttributeAndRefusesDeletion) {
    InPrivateFolder here;
    const std::string path = here.folder() / "ro.txt";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_READONLY, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    const DWORD attributes = GetFileAttributesA(path.c_str());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(failsWith(FALSE, ERROR_ACCESS_DENIED, [&] { return DeleteFileA(path.c_str()); }));
    HANDLE writer = INVALID_HANDLE_VALUE;
    const DWORD error =
        lastErrorOf([&] { writer = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr); });
    if (ovs::platform::isWine() && writer != INVALID_HANDLE_VALUE) {
        // Wine leaves the check to the Unix permissions, which the superuser passes.
        recordWineDeviation("read_only_opened_for_writing", "handle granted");
        CloseHandle(writer);
    } else {
        EXPECT_EQ(INVALID_HANDLE_VALUE, writer);
        EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), error);
    }
    std::filesystem::permissions(here.folder().native() / "ro.txt", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}

} // namespace
