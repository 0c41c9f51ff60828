// Conformance of the Win32 functions on names: CreateDirectoryA, DeleteFileA,
// GetFileAttributesA and SetCurrentDirectoryA, with their last-error codes.
#include "FileTestSupport.h"
#include "platform/PlatformInfo.h"

#include <gtest/gtest.h>

using ovs::test::lastErrorOf;

namespace {

TEST(DirectoryConformance, CreateDirectoryResultsAndErrors) {
    ovs::test::InPrivateFolder here;
    here.makeFile("file.txt");
    // In order: the second "a" already exists; lastError 0: succeeds.
    const struct {
        const char* target;
        DWORD lastError;
    } cases[] = {{"a", 0},
                 {"a", ERROR_ALREADY_EXISTS},
                 {"file.txt", ERROR_ALREADY_EXISTS},
                 {"missing\\b", ERROR_PATH_NOT_FOUND}};
    for (const auto& c : cases) {
        BOOL result = TRUE;
        DWORD error = lastErrorOf([&] { result = CreateDirectoryA((here.folder() / c.target).c_str(), nullptr); });
        EXPECT_EQ(c.lastError == 0, bool(result)) << c.target;
        if (c.lastError != 0) {
            EXPECT_EQ(c.lastError, error) << c.target;
        }
    }
    EXPECT_TRUE(here.exists("a"));
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
    BOOL result = FALSE;
    DWORD error = lastErrorOf([&] { result = DeleteFileA((here.folder() / c.target).c_str()); });
    EXPECT_EQ(c.lastError == 0, bool(result));
    if (c.lastError == 0) {
        EXPECT_FALSE(here.exists(c.target));
    } else {
        EXPECT_EQ(c.lastError, error);
    }
}

INSTANTIATE_TEST_SUITE_P(DeleteFileA, DeleteConformance,
                         testing::ValuesIn(std::vector<DeleteCase>{
                             {"ExistingFile", "file.txt", 0},
                             {"AFolder", "folder", ERROR_ACCESS_DENIED},
                             {"MissingFile", "nothing.txt", ERROR_FILE_NOT_FOUND},
                             {"MissingFolderOnTheWay", "nowhere\\file.txt", ERROR_PATH_NOT_FOUND},
                             {"FileUsedAsFolder", "file.txt\\x", ERROR_PATH_NOT_FOUND}}),
                         [](const testing::TestParamInfo<DeleteCase>& info) { return std::string(info.param.name); });

struct AttributesCase {
    const char* name;
    const char* target;
    DWORD attributes; // expected of the kind bits; INVALID_FILE_ATTRIBUTES for failure
    DWORD lastError;
};

class AttributesConformance : public testing::TestWithParam<AttributesCase> {};

TEST_P(AttributesConformance, AttributesOrLastError) {
    constexpr DWORD kindBits = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;
    const AttributesCase& c = GetParam();
    ovs::test::InPrivateFolder here;
    here.makeFile("file.txt", "x");
    here.makeFile(".hidden", "x");
    here.makeFolder("folder");
    DWORD attributes = 0;
    DWORD error = lastErrorOf([&] { attributes = GetFileAttributesA((here.folder() / c.target).c_str()); });
    if (c.attributes == INVALID_FILE_ATTRIBUTES) {
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, attributes);
        EXPECT_EQ(c.lastError, error);
    } else {
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
        EXPECT_EQ(c.attributes, attributes & kindBits) << std::hex << attributes;
    }
}

INSTANTIATE_TEST_SUITE_P(GetFileAttributesA, AttributesConformance,
                         testing::ValuesIn(std::vector<AttributesCase>{
                             {"File", "file.txt", 0, 0},
                             {"Folder", "folder", FILE_ATTRIBUTE_DIRECTORY, 0},
                             {"FolderWithSeparator", "folder\\", FILE_ATTRIBUTE_DIRECTORY, 0},
                             {"DotNameIsHidden", ".hidden", FILE_ATTRIBUTE_HIDDEN, 0},
                             {"TrailingDotIgnored", "file.txt.", 0, 0},
                             {"Missing", "nothing", INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND},
                             {"MissingFolder", "nowhere\\x", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND}}),
                         [](const testing::TestParamInfo<AttributesCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(DirectoryConformance, SetCurrentDirectoryMovesRelativeNamesAndReportsErrors) {
    ovs::test::InPrivateFolder here;
    here.makeFile("sub/inner.txt");
    here.makeFile("file.txt");
    std::string start = here.current();
    ASSERT_TRUE(SetCurrentDirectoryA("sub"));
    EXPECT_EQ(start + "\\sub", here.current());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("inner.txt"));
    ASSERT_TRUE(SetCurrentDirectoryA(".."));
    EXPECT_EQ(start, here.current());
    for (auto [target, lastError] : {std::pair<const char*, DWORD>{"nothing", ERROR_FILE_NOT_FOUND},
                                     {"nowhere\\deeper", ERROR_PATH_NOT_FOUND},
                                     {"file.txt", ERROR_DIRECTORY}}) {
        EXPECT_EQ(lastError, lastErrorOf([&] { EXPECT_FALSE(SetCurrentDirectoryA(target)); })) << target;
    }
    EXPECT_EQ(start, here.current());
}

TEST(DirectoryConformance, AReadOnlyFileReportsItsAttributeAndRefusesDeletion) {
    ovs::test::InPrivateFolder here;
    std::string path = here.folder() / "ro.txt";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_READONLY, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    DWORD attributes = GetFileAttributesA(path.c_str());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), lastErrorOf([&] { EXPECT_FALSE(DeleteFileA(path.c_str())); }));
    HANDLE writer = INVALID_HANDLE_VALUE;
    DWORD error =
        lastErrorOf([&] { writer = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr); });
    if (ovs::platform::isWine() && writer != INVALID_HANDLE_VALUE) {
        // Wine leaves the check to the Unix permissions, which the superuser passes.
        ovs::test::recordWineDeviation("read_only_opened_for_writing", "handle granted");
        CloseHandle(writer);
    } else {
        EXPECT_EQ(INVALID_HANDLE_VALUE, writer);
        EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), error);
    }
    std::filesystem::permissions(here.folder().native() / "ro.txt", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}

} // namespace
