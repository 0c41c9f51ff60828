// Conformance of FindFirstFileA / FindNextFileA / FindClose beyond the masks: the order of
// "." and "..", the find record, the error codes, and files read and deleted while a search
// is under way.
#include "FileTestSupport.h"
#include "platform/PlatformInfo.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

using ovs::test::lastErrorOf;

namespace {

TEST(FindConformance, DotEntriesFirstThenEveryNameOnceThenNoMoreFiles) {
    ovs::test::InPrivateFolder here;
    here.makeFile("file1", "12345");
    here.makeFile("file2");
    here.makeFolder("dir1");
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((here.folder() / "*").c_str(), &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    EXPECT_STREQ(".", data.cFileName);
    EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    ASSERT_TRUE(FindNextFileA(search, &data));
    EXPECT_STREQ("..", data.cFileName);
    std::map<std::string, WIN32_FIND_DATAA> rest;
    while (FindNextFileA(search, &data)) {
        EXPECT_TRUE(rest.emplace(data.cFileName, data).second) << data.cFileName;
    }
    EXPECT_EQ(DWORD(ERROR_NO_MORE_FILES), GetLastError());
    EXPECT_EQ(DWORD(ERROR_NO_MORE_FILES), lastErrorOf([&] { EXPECT_FALSE(FindNextFileA(search, &data)); }));
    EXPECT_TRUE(FindClose(search));

    ASSERT_EQ(3u, rest.size());
    EXPECT_TRUE(rest["dir1"].dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(rest["file1"].dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(5u, rest["file1"].nFileSizeLow);
    EXPECT_EQ(0u, rest["file1"].nFileSizeHigh);
}

struct FindErrorCase {
    const char* name;
    const char* pattern; // below the private folder
    DWORD lastError;
};

class FindErrorConformance : public testing::TestWithParam<FindErrorCase> {};

TEST_P(FindErrorConformance, NoHandleAndTheLastError) {
    const FindErrorCase& c = GetParam();
    ovs::test::InPrivateFolder here;
    here.makeFile("file.txt");
    here.makeFolder("dir");
    WIN32_FIND_DATAA data;
    HANDLE search = INVALID_HANDLE_VALUE;
    EXPECT_EQ(c.lastError, lastErrorOf([&] { search = FindFirstFileA((here.folder() / c.pattern).c_str(), &data); }));
    EXPECT_EQ(INVALID_HANDLE_VALUE, search);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
    }
}

INSTANTIATE_TEST_SUITE_P(
    FindFirstFileA, FindErrorConformance,
    testing::ValuesIn(std::vector<FindErrorCase>{{"NoMatch", "zzz*", ERROR_FILE_NOT_FOUND},
                                                 {"MissingName", "missing", ERROR_FILE_NOT_FOUND},
                                                 {"MissingFolderName", "missing\\bar.txt", ERROR_PATH_NOT_FOUND},
                                                 {"MissingFolderAll", "missing\\*.*", ERROR_PATH_NOT_FOUND},
                                                 {"FolderWithSeparatorOnly", "dir\\", ERROR_FILE_NOT_FOUND}}),
    [](const testing::TestParamInfo<FindErrorCase>& info) { return std::string(info.param.name); });

TEST(FindConformance, DriveRootAloneFindsNothingAndItsListingHasNoDotEntries) {
    ovs::test::InPrivateFolder here;
    std::string root = here.current().substr(0, 3); // "Z:\" or "C:\"
    WIN32_FIND_DATAA data;
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND),
              lastErrorOf([&] { EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA(root.c_str(), &data)); }));
    HANDLE search = FindFirstFileA((root + "*").c_str(), &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    do {
        EXPECT_STRNE(".", data.cFileName);
        EXPECT_STRNE("..", data.cFileName);
    } while (FindNextFileA(search, &data));
    FindClose(search);
}

TEST(FindConformance, ExactNameFolderAndForwardSlash) {
    ovs::test::InPrivateFolder here;
    here.makeFile("sub/one.two");
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((here.folder() / "sub\\ONE.TWO").c_str(), &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    EXPECT_STREQ("one.two", data.cFileName);
    EXPECT_FALSE(FindNextFileA(search, &data));
    FindClose(search);

    search = FindFirstFileA((here.folder() / "sub").c_str(), &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    EXPECT_STREQ("sub", data.cFileName);
    EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    FindClose(search);

    search = FindFirstFileA((here.folder().path() + "/sub/*.two").c_str(), &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    EXPECT_STREQ("one.two", data.cFileName);
    FindClose(search);
}

// Names that Windows cannot hold exist only on a Unix file system: a listed name, joined to its
// folder, names that very file and never one elsewhere.
TEST(FindConformance, UnixNamesWithWindowsForbiddenCharactersOpenThatVeryFile) {
    if (!ovs::platform::isPosixSubstitute()) {
        GTEST_SKIP() << "Windows cannot hold such names";
    }
    ovs::test::InPrivateFolder here;
    const std::vector<std::string> names = {"d\\..\\..\\victim.ovc", "d\\f.ovc", "a:b*?\"<>|.ovc", "c\x01\x1f.ovc"};
    for (const std::string& name : names) {
        here.makeFile("d/" + name, name);
    }
    here.makeFile("victim.ovc", "outside");
    here.makeFile("d/d/f.ovc", "below");
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((here.folder() / "d\\*.ovc").c_str(), &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    std::size_t found = 0;
    do {
        ++found;
        std::string listed = data.cFileName;
        EXPECT_EQ(std::string::npos, listed.find_first_of("\\/:*?\"<>|\x01\x1f")) << listed;
        std::string path = here.folder() / ("d\\" + listed);
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file) << listed;
        char buffer[64] = {};
        DWORD got = 0;
        EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &got, nullptr));
        CloseHandle(file);
        EXPECT_TRUE(DeleteFileA(path.c_str())) << listed;
        EXPECT_FALSE(here.exists("d/" + std::string(buffer, got))) << listed;
    } while (FindNextFileA(search, &data));
    FindClose(search);
    EXPECT_EQ(names.size(), found);
    EXPECT_EQ("outside", here.content("victim.ovc"));
    EXPECT_EQ("below", here.content("d/d/f.ovc"));
}

TEST(FindConformance, ClosingAnUnknownSearchFails) {
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), lastErrorOf([] {
                  EXPECT_FALSE(FindClose(reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x7FFFFFF0))));
              }));
}

TEST(FindConformance, FilesReadAndDeletedDuringTheSearchAreReportedAtMostOnce) {
    ovs::test::InPrivateFolder here;
    const int count = 40;
    for (int i = 0; i < count; ++i) {
        here.makeFile("d/f" + std::to_string(i) + ".txt", std::to_string(i));
    }
    std::map<std::string, int> seen;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((here.folder() / "d\\*.txt").c_str(), &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    do {
        std::string path = here.folder() / ("d\\" + std::string(data.cFileName));
        ++seen[data.cFileName];
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
        char buffer[8] = {};
        DWORD got = 0;
        EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &got, nullptr));
        EXPECT_EQ(std::string(data.cFileName), "f" + std::string(buffer, got) + ".txt");
        CloseHandle(file);
        EXPECT_TRUE(DeleteFileA(path.c_str())) << path;
    } while (FindNextFileA(search, &data));
    EXPECT_EQ(DWORD(ERROR_NO_MORE_FILES), GetLastError());
    FindClose(search);
    EXPECT_EQ(std::size_t(count), seen.size());
    for (const auto& [name, times] : seen) {
        EXPECT_EQ(1, times) << name;
    }
}

} // namespace
