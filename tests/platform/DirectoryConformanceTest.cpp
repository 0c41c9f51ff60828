// Conformance of the Win32 functions on names: CreateDirectoryA, DeleteFileA,
// GetFileAttributesA and SetCurrentDirectoryA, with their last-error codes.
#include "FileTestSupport.h"
#include "platform/PlatformInfo.h"

#include <gtest/gtest.h>

namespace {

constexpr DWORD untouched = 0xDEADBEEF;

TEST(DirectoryConformance, CreateDirectoryResultsAndErrors) {
    ovs::test::InPrivateFolder here;
    SetLastError(untouched);
    EXPECT_TRUE(CreateDirectoryA((here.folder() / "a").c_str(), nullptr));
    EXPECT_TRUE(here.exists("a"));

    SetLastError(untouched);
    EXPECT_FALSE(CreateDirectoryA((here.folder() / "a").c_str(), nullptr));
    EXPECT_EQ(DWORD(ERROR_ALREADY_EXISTS), GetLastError());

    here.makeFile("file.txt");
    SetLastError(untouched);
    EXPECT_FALSE(CreateDirectoryA((here.folder() / "file.txt").c_str(), nullptr));
    EXPECT_EQ(DWORD(ERROR_ALREADY_EXISTS), GetLastError());

    SetLastError(untouched);
    EXPECT_FALSE(CreateDirectoryA((here.folder() / "missing\\b").c_str(), nullptr));
    EXPECT_EQ(DWORD(ERROR_PATH_NOT_FOUND), GetLastError());

    EXPECT_TRUE(CreateDirectoryA("relative", nullptr)); // against the current folder
    EXPECT_TRUE(here.exists("relative"));
}

struct DeleteCase {
    const char* name;
    const char* target;
    DWORD lastError; // 0: succeeds
};

class DeleteConformance : public testing::TestWithParam<DeleteCase> {};

TEST_P(DeleteConformance, ResultAndLastError) {
    const DeleteCase& c = GetParam();
    ovs::test::InPrivateFolder here;
    here.makeFile("file.txt", "x");
    here.makeFolder("folder");
    SetLastError(untouched);
    BOOL result = DeleteFileA((here.folder() / c.target).c_str());
    if (c.lastError == 0) {
        EXPECT_TRUE(result);
        EXPECT_FALSE(here.exists(c.target));
    } else {
        EXPECT_FALSE(result);
        EXPECT_EQ(c.lastError, GetLastError());
    }
}

INSTANTIATE_TEST_SUITE_P(DeleteFileA, DeleteConformance,
                         testing::Values(DeleteCase{"ExistingFile", "file.txt", 0},
                                         DeleteCase{"AFolder", "folder", ERROR_ACCESS_DENIED},
                                         DeleteCase{"MissingFile", "nothing.txt", ERROR_FILE_NOT_FOUND},
                                         DeleteCase{"MissingFolderOnTheWay", "nowhere\\file.txt", ERROR_PATH_NOT_FOUND},
                                         DeleteCase{"FileUsedAsFolder", "file.txt\\x", ERROR_PATH_NOT_FOUND}),
                         [](const testing::TestParamInfo<DeleteCase>& info) { return std::string(info.param.name); });

struct AttributesCase {
    const char* name;
    const char* target;
    DWORD attributesMask; // the bits compared
    DWORD attributes;     // expected within the mask; INVALID_FILE_ATTRIBUTES for failure
    DWORD lastError;
};

class AttributesConformance : public testing::TestWithParam<AttributesCase> {};

TEST_P(AttributesConformance, AttributesOrLastError) {
    const AttributesCase& c = GetParam();
    ovs::test::InPrivateFolder here;
    here.makeFile("file.txt", "x");
    here.makeFile(".hidden", "x");
    here.makeFolder("folder");
    SetLastError(untouched);
    DWORD attributes = GetFileAttributesA((here.folder() / c.target).c_str());
    if (c.attributes == INVALID_FILE_ATTRIBUTES) {
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, attributes);
        EXPECT_EQ(c.lastError, GetLastError());
    } else {
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
        EXPECT_EQ(c.attributes, attributes & c.attributesMask) << std::hex << attributes;
    }
}

constexpr DWORD kindBits = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;

INSTANTIATE_TEST_SUITE_P(
    GetFileAttributesA, AttributesConformance,
    testing::Values(AttributesCase{"File", "file.txt", kindBits, 0, 0},
                    AttributesCase{"Folder", "folder", kindBits, FILE_ATTRIBUTE_DIRECTORY, 0},
                    AttributesCase{"FolderWithSeparator", "folder\\", kindBits, FILE_ATTRIBUTE_DIRECTORY, 0},
                    AttributesCase{"DotNameIsHidden", ".hidden", kindBits, FILE_ATTRIBUTE_HIDDEN, 0},
                    AttributesCase{"TrailingDotIgnored", "file.txt.", kindBits, 0, 0},
                    AttributesCase{"Missing", "nothing", 0, INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND},
                    AttributesCase{"MissingFolder", "nowhere\\x", 0, INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND}),
    [](const testing::TestParamInfo<AttributesCase>& info) { return std::string(info.param.name); });

TEST(DirectoryConformance, SetCurrentDirectoryMovesRelativeNamesAndReportsErrors) {
    ovs::test::InPrivateFolder here;
    here.makeFolder("sub");
    here.makeFile("sub/inner.txt");
    here.makeFile("file.txt");
    std::string start = here.current();
    ASSERT_TRUE(SetCurrentDirectoryA("sub"));
    EXPECT_EQ(start + "\\sub", here.current());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("inner.txt"));
    ASSERT_TRUE(SetCurrentDirectoryA(".."));
    EXPECT_EQ(start, here.current());

    SetLastError(untouched);
    EXPECT_FALSE(SetCurrentDirectoryA("nothing"));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    SetLastError(untouched);
    EXPECT_FALSE(SetCurrentDirectoryA("nowhere\\deeper"));
    EXPECT_EQ(DWORD(ERROR_PATH_NOT_FOUND), GetLastError());
    SetLastError(untouched);
    EXPECT_FALSE(SetCurrentDirectoryA("file.txt"));
    EXPECT_EQ(DWORD(ERROR_DIRECTORY), GetLastError());
    EXPECT_EQ(start, here.current());
}

} // namespace

namespace {

TEST(DirectoryConformance, AReadOnlyFileReportsItsAttributeAndRefusesDeletion) {
    ovs::test::InPrivateFolder here;
    std::string path = here.folder() / "ro.txt";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_READONLY, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    DWORD attributes = GetFileAttributesA(path.c_str());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(DeleteFileA(path.c_str()));
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), GetLastError());
    SetLastError(0xDEADBEEF);
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (ovs::platform::isWine() && writer != INVALID_HANDLE_VALUE) {
        // Wine leaves the check to the Unix permissions, which the superuser passes.
        RecordProperty("wine_deviation_read_only_opened_for_writing", "handle granted");
        CloseHandle(writer);
    } else {
        EXPECT_EQ(INVALID_HANDLE_VALUE, writer);
        EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), GetLastError());
    }
    std::filesystem::permissions(here.folder().native() / "ro.txt", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}

} // namespace
