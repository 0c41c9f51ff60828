// Conformance of the Win32 functions on names: CreateDirectoryA, DeleteFileA,
// GetFileAttributesA, SetCurrentDirectoryA and FindFirstFileA, with their last-error codes.
#include "FileTestSupport.h"
#include "platform/PlatformInfo.h"

#include <gtest/gtest.h>

using namespace ovs::test;

namespace {

enum class Call { Delete, Attributes, CreateFolder, SetCurrent, Find };

// Each row runs in a fresh current folder holding file.txt, .hidden and folder\, once with the
// name joined to the folder and once with the name alone, relative to the current folder.
struct NameCase {
    Call call;
    const char* target;
    DWORD lastError;          // 0: succeeds
    DWORD kind = 0;           // GetFileAttributesA: the directory, hidden and read-only bits where it succeeds
    const char* current = ""; // the current folder afterwards, after the one the row starts in
};

// The call's result on the name, its attributes going to *attributes.
bool succeeds(Call call, const std::string& name, DWORD* attributes) {
    switch (call) {
    case Call::Delete: return DeleteFileA(name.c_str()) != FALSE;
    case Call::Attributes: return (*attributes = GetFileAttributesA(name.c_str())) != INVALID_FILE_ATTRIBUTES;
    case Call::CreateFolder: return CreateDirectoryA(name.c_str(), nullptr) != FALSE;
    case Call::SetCurrent: return SetCurrentDirectoryA(name.c_str()) != FALSE;
    case Call::Find: break;
    }
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(name.c_str(), &data);
    return search != INVALID_HANDLE_VALUE && FindClose(search);
}

TEST(DirectoryConformance, NameFunctionsResultAndLastError) {
    const DWORD kindBits = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;
    const NameCase rows[] = {{Call::Delete, "file.txt", 0},
                             {Call::Delete, "folder", ERROR_ACCESS_DENIED},
                             {Call::Delete, "nothing.txt", ERROR_FILE_NOT_FOUND},
                             {Call::Delete, "nowhere\\file.txt", ERROR_PATH_NOT_FOUND},
                             {Call::Delete, "file.txt\\x", ERROR_PATH_NOT_FOUND},
                             {Call::Attributes, "file.txt", 0},
                             {Call::Attributes, "folder", 0, FILE_ATTRIBUTE_DIRECTORY},
                             {Call::Attributes, "folder\\", 0, FILE_ATTRIBUTE_DIRECTORY},
                             {Call::Attributes, ".hidden", 0, FILE_ATTRIBUTE_HIDDEN}, // a dot name is hidden
                             {Call::Attributes, "file.txt.", 0},                      // a trailing dot is ignored
                             {Call::Attributes, "nothing", ERROR_FILE_NOT_FOUND},
                             {Call::Attributes, "nowhere\\x", ERROR_PATH_NOT_FOUND},
                             {Call::CreateFolder, "new", 0},
                             {Call::CreateFolder, "folder", ERROR_ALREADY_EXISTS},
                             {Call::CreateFolder, "file.txt", ERROR_ALREADY_EXISTS},
                             {Call::CreateFolder, "missing\\b", ERROR_PATH_NOT_FOUND},
                             {Call::SetCurrent, "folder", 0, 0, "\\folder"},
                             {Call::SetCurrent, "folder\\..", 0},
                             {Call::SetCurrent, "nothing", ERROR_FILE_NOT_FOUND},
                             {Call::SetCurrent, "nowhere\\deeper", ERROR_PATH_NOT_FOUND},
                             {Call::SetCurrent, "file.txt", ERROR_DIRECTORY},
                             {Call::Find, "zzz*", ERROR_FILE_NOT_FOUND},
                             {Call::Find, "nothing", ERROR_FILE_NOT_FOUND},
                             {Call::Find, "nowhere\\bar.txt", ERROR_PATH_NOT_FOUND},
                             {Call::Find, "nowhere\\*.*", ERROR_PATH_NOT_FOUND},
                             {Call::Find, "folder\\", ERROR_FILE_NOT_FOUND}};
    for (const NameCase& c : rows) {
        for (bool relative : {false, true}) {
            SCOPED_TRACE(testing::Message() << int(c.call) << " " << c.target << (relative ? " relative" : ""));
            InPrivateFolder here;
            here.makeFile("file.txt", "x");
            here.makeFile(".hidden", "x");
            here.makeFolder("folder");
            const std::string start = here.current(), name = relative ? c.target : here.folder() / c.target;
            DWORD attributes = 0;
            bool result = false;
            const DWORD error = lastErrorOf([&] { result = succeeds(c.call, name, &attributes); });
            EXPECT_EQ(c.lastError == 0, result);
            EXPECT_EQ(c.lastError == 0 ? error : c.lastError, error);
            EXPECT_EQ(c.kind, result ? attributes & kindBits : 0) << std::hex << attributes;
            EXPECT_TRUE(c.lastError != 0 || c.call != Call::Delete || !here.exists(c.target));
            EXPECT_TRUE(c.lastError != 0 || c.call != Call::CreateFolder || here.exists(c.target));
            EXPECT_EQ(start + c.current, here.current()); // a failed change leaves the current folder
        }
    }
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
