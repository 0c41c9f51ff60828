// Conformance of FindFirstFileA / FindNextFileA / FindClose: the order of "." and "..", the
// find record, the error codes, names a Unix file system holds that Windows cannot, and the
// name masks with Windows' rules: "*.*" is "*", "*." lists names without a dot, "?" may match
// nothing before a dot or at the end, "*" before a dot does not pass the name's last dot,
// matching ignores case, and "." and ".." come with the masks that accept them. Wine 8 lacks
// these DOS rules: under Wine a differing mask row is recorded as Wine's known deviation
// instead of failing. Files deleted while a search is under way are each reported once:
// FileTreeScan.ThousandsOfTaskFilesAreEachReportedOnceToAHookThatDeletesThem, on both targets.
#include "FileTestSupport.h"
#include "platform/FolderNames.h"
#include "platform/PlatformInfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

using namespace ovs::test;

namespace {

// Every name the search hands out, in order.
std::vector<std::string> findAll(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(pattern.c_str(), &data);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &data)) {
        names.emplace_back(data.cFileName);
    }
    EXPECT_TRUE(search == INVALID_HANDLE_VALUE || FindClose(search));
    return names;
}

// One reading of a folder serves the patterns that name it one after another, at most 32 at a
// time; each list must still be what that pattern's own search hands out.
TEST(FindConformance, EntriesMatchingListsForEachPatternWhatItsSearchFinds) {
    InPrivateFolder here;
    for (const char* name : {"a/one.txt", "a/two.log", "a/x.txt", "b/three.txt", "b/x.log"}) {
        here.makeFile(name);
    }
    const std::string a = here.folder() / "a", b = here.folder() / "b";
    std::vector<std::string> patterns = {a + "\\*.txt", a + "\\x*", b + "\\*", a + "\\*.log", here.folder() / "none\\*",
                                         a + "\\"};
    for (int i = 0; i < 40; ++i) {
        patterns.push_back(a + (i % 2 ? "\\*" : "\\t*"));
    }
    const std::vector<std::vector<ovs::platform::FoundEntry>> found = ovs::platform::entriesMatching(patterns);
    ASSERT_EQ(patterns.size(), found.size());
    for (std::size_t i = 0; i < patterns.size(); ++i) {
        std::vector<std::string> names;
        for (const ovs::platform::FoundEntry& entry : found[i]) {
            names.push_back(entry.name);
        }
        EXPECT_EQ(findAll(patterns[i]), names) << patterns[i];
    }
    EXPECT_EQ((std::vector<std::string>{"one.txt", "x.txt"}), findAll(patterns[0]));
}

TEST(FindConformance, DotEntriesFirstThenEveryNameOnceThenNoMoreFiles) {
    InPrivateFolder here;
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
    EXPECT_TRUE(failsWith(FALSE, ERROR_NO_MORE_FILES, [&] { return FindNextFileA(search, &data); }));
    EXPECT_TRUE(FindClose(search));
    ASSERT_EQ(3u, rest.size());
    EXPECT_TRUE(rest["dir1"].dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(rest["file1"].dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(5u, rest["file1"].nFileSizeLow);
    EXPECT_EQ(0u, rest["file1"].nFileSizeHigh);
}

TEST(FindConformance, ExactNamesFoldersForwardSlashesAndFailures) {
    InPrivateFolder here;
    here.makeFile("sub/one.two");
    EXPECT_EQ(std::vector<std::string>{"one.two"}, findAll(here.folder() / "sub\\ONE.TWO"));
    EXPECT_EQ(std::vector<std::string>{"one.two"}, findAll(here.folder().path() + "/sub/*.two"));
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((here.folder() / "sub").c_str(), &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    EXPECT_STREQ("sub", data.cFileName);
    EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    FindClose(search);
    // A drive root alone finds nothing, and its listing has no dot entries.
    const std::string root = here.current().substr(0, 3); // "Z:\" or "C:\"
    EXPECT_TRUE(
        failsWith(INVALID_HANDLE_VALUE, ERROR_FILE_NOT_FOUND, [&] { return FindFirstFileA(root.c_str(), &data); }));
    const std::vector<std::string> atRoot = findAll(root + "*");
    EXPECT_FALSE(atRoot.empty());
    EXPECT_EQ(atRoot.end(), std::find_if(atRoot.begin(), atRoot.end(), [](auto& n) { return n == "." || n == ".."; }));
}

// Reads the file a search listed in folder d, checks it, and deletes it; returns its content.
std::string readAndDelete(const InPrivateFolder& here, const std::string& listed) {
    const std::string path = here.folder() / ("d\\" + listed);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, file) << listed;
    char buffer[64] = {};
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &got, nullptr));
    CloseHandle(file);
    EXPECT_TRUE(DeleteFileA(path.c_str())) << listed;
    return std::string(buffer, got);
}

// Names that Windows cannot hold exist only on a Unix file system: a listed name, joined to its
// folder, names that very file and never one elsewhere.
TEST(FindConformance, UnixNamesWithWindowsForbiddenCharactersOpenThatVeryFile) {
    if (!ovs::platform::isPosixSubstitute()) {
        GTEST_SKIP() << "Windows cannot hold such names";
    }
    InPrivateFolder here;
    const std::vector<std::string> names = {"d\\..\\..\\victim.ovc", "d\\f.ovc", "a:b*?\"<>|.ovc", "c\x01\x1f.ovc"};
    for (const std::string& name : names) {
        here.makeFile("d/" + name, name);
    }
    here.makeFile("victim.ovc", "outside");
    here.makeFile("d/d/f.ovc", "below");
    const std::vector<std::string> listed = findAll(here.folder() / "d\\*.ovc");
    EXPECT_EQ(names.size(), listed.size());
    for (const std::string& name : listed) {
        EXPECT_EQ(std::string::npos, name.find_first_of("\\/:*?\"<>|\x01\x1f")) << name;
        EXPECT_FALSE(here.exists("d/" + readAndDelete(here, name))) << name;
    }
    EXPECT_EQ("outside", here.content("victim.ovc"));
    EXPECT_EQ("below", here.content("d/d/f.ovc"));
}

struct WildcardCase {
    const char* id;
    const char* mask;
    std::vector<std::string> expected;
};

// Under Wine a row whose names differ is recorded as Wine's known deviation.
void checkRows(const std::vector<std::string>& files, const std::vector<WildcardCase>& rows) {
    InPrivateFolder here;
    here.makeFolder("d");
    for (const std::string& name : files) {
        here.makeFile("d/" + name, "x");
    }
    for (std::size_t n = 0; n < rows.size(); ++n) {
        std::vector<std::string> found = findAll(here.folder() / ("d\\" + std::string(rows[n].mask))),
                                 expected = rows[n].expected;
        std::sort(found.begin(), found.end());
        std::sort(expected.begin(), expected.end());
        expectPart(WineBuffer, WineBuffer, std::string(rows[n].id) + "_" + std::to_string(n),
                   std::string(rows[n].id) + " mask '" + rows[n].mask + "'", expected, found);
    }
}

// clang-format off
const std::vector<std::string> directoryD = {"a",       "aa",        "aaa",      "aaaa", "a.a",       "one",
                                             "one.two", "a.one",     "ab.two",   "abc.three", "readme.txt",
                                             "readme.txt.bak", "data.html", "x.tx", "Mixed.Case"};
// clang-format on

std::vector<std::string> everything() {
    std::vector<std::string> all = directoryD;
    all.insert(all.end(), {".", ".."});
    return all;
}

TEST(WildcardConformance, MasksOverOrdinaryNames) {
    // clang-format off
    checkRows(directoryD,
              {{"J01", "*", everything()}, {"J01", "*.*", everything()}, {"J01", "*. ", everything()},
               {"J01", "*.*.*", everything()}, {"J02", "*.", {".", "..", "a", "aa", "aaa", "aaaa", "one"}},
               {"J03", "?", {".", "..", "a"}}, {"J03", "??", {".", "..", "a", "aa"}},
               {"J03", "???", {".", "..", "a", "aa", "aaa", "one"}},
               {"J03", "????", {".", "..", "a", "aa", "aaa", "aaaa", "one"}},
               {"J04", "?.?", {".", "..", "a", "a.a"}}, {"J04", "a?", {"a", "aa"}}, {"J04", "a.?", {"a", "a.a"}},
               {"J05", "a??.*", {"a", "aa", "aaa", "a.a", "a.one", "ab.two", "abc.three"}},
               {"J06", "*.?????", everything()}, {"J07", "*.?", {".", "..", "a", "aa", "aaa", "aaaa", "a.a", "one"}},
               {"J08", "*a", {"a", "aa", "aaa", "aaaa", "a.a"}},
               {"J08", "a*", {"a", "aa", "aaa", "aaaa", "a.a", "a.one", "ab.two", "abc.three"}},
               {"J08", "a*.", {"a", "aa", "aaa", "aaaa"}}, {"J09", "*.a", {"a.a"}},
               {"J09", "*.two", {"one.two", "ab.two"}}, {"J09", "*.tx", {"x.tx"}},
               {"J09", "*.tx?", {"readme.txt", "x.tx"}}, {"J09", "x.tx?", {"x.tx"}}, {"J10", "*.txt", {"readme.txt"}},
               {"J10", "*.TXT", {"readme.txt"}}, {"J10", "*.t?t", {"readme.txt"}}, {"J10", "*.bak", {"readme.txt.bak"}},
               {"J10", "readme.*", {"readme.txt", "readme.txt.bak"}}, {"J11", "*.htm", {}}, {"J11", "*.thr", {}},
               {"J12", "one.", {"one"}}, {"J12", "one.*", {"one", "one.two"}}, {"J12", "mixed.*", {"Mixed.Case"}},
               {"J12", "MIXED.CASE", {"Mixed.Case"}}, {"J13", "*..*", {".", ".."}}, {"J13", ".*", {".", ".."}},
               {"J13", "*.t*", {"one.two", "ab.two", "abc.three", "readme.txt", "readme.txt.bak", "x.tx"}},
               {"J20", "ONE.TWO", {"one.two"}}});
    // clang-format on
}

TEST(WildcardConformance, MasksOverNamesWithLeadingDots) {
    // clang-format off
    checkRows({"..a", "..a.a", ".a", ".a..a", ".a.a", ".aaa", "a", "a..a", "a.a", "a.a.a", "aa", "aaa", "aaaa", " .a"},
              {{"J14", ".*", {".", "..", "..a", "..a.a", ".a", ".a..a", ".a.a", ".aaa"}},
               {"J14", "*..*", {".", "..", "..a", "..a.a", ".a..a", "a..a"}},
               {"J14", "*.a", {"..a", "..a.a", ".a", ".a..a", ".a.a", "a..a", "a.a", "a.a.a", " .a"}},
               {"J14", ".*.", {".", "..", ".a", ".aaa"}}, {"J14", "..*", {".", "..", "..a", "..a.a"}},
               {"J14", "aa.*", {"aa"}}, {"J14", "? .*", {}}, {"J14", ". *", {}}, {"J14", "* . *", {}},
               {"J14", " *..", {}}});
    // clang-format on
}

// A name in the ANSI code page (UTF-8 natively, 1252 under Wine).
std::string ansi(const wchar_t* text) {
    char buffer[MAX_PATH] = {};
    WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, MAX_PATH, nullptr, nullptr);
    return buffer;
}

TEST(WildcardConformance, CaseIsIgnoredForLettersBeyondAsciiAndQuestionMarkIsOneLetter) {
    InPrivateFolder here;
    const std::vector<std::string> files = {ansi(L"\u00c4rger.txt"), ansi(L"\u0152uvre.txt")};
    for (const std::string& name : files) {
        HANDLE file = CreateFileA((here.folder() / name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file) << name;
        CloseHandle(file);
    }
    for (const wchar_t* mask : {L"\u00e4rger.txt", L"\u00e4*", L"?rger.txt", L"\u00c4RGER.TXT"}) {
        EXPECT_EQ(std::vector<std::string>{files[0]}, findAll(here.folder() / ansi(mask))) << ansi(mask);
    }
    EXPECT_EQ(std::vector<std::string>{files[1]}, findAll(here.folder() / ansi(L"\u0153UVRE.*")));
}

} // namespace
