// Conformance of FindFirstFileA's name masks with Windows' rules: "*.*" is "*", "*." lists
// names without a dot, "?" may match nothing before a dot or at the end, "*" before a dot
// does not pass the name's last dot, matching ignores case, and "." and ".." come with the
// masks that accept them. Wine 8 lacks these DOS rules: under Wine a differing row is
// recorded as Wine's known deviation instead of failing.
#include "FileTestSupport.h"
#include "platform/PlatformInfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <vector>

namespace {

// Every name the search hands out, in order.
std::vector<std::string> findAll(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        names.emplace_back(data.cFileName);
    } while (FindNextFileA(search, &data));
    FindClose(search);
    return names;
}

std::string joinedSorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    std::ostringstream out;
    for (const std::string& name : names) {
        out << '[' << name << ']';
    }
    return out.str();
}

// A name in the ANSI code page (UTF-8 natively, 1252 under Wine).
std::string ansi(const wchar_t* text) {
    char buffer[MAX_PATH] = {};
    WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, MAX_PATH, nullptr, nullptr);
    return buffer;
}

struct WildcardCase {
    const char* id;
    const char* mask;
    std::vector<std::string> expected;
};

void checkRows(const std::vector<std::string>& files, const std::vector<WildcardCase>& rows) {
    ovs::test::InPrivateFolder here;
    here.makeFolder("d");
    for (const std::string& name : files) {
        here.makeFile("d/" + name, "x");
    }
    int deviations = 0;
    for (const WildcardCase& row : rows) {
        std::string found = joinedSorted(findAll(here.folder() / ("d\\" + std::string(row.mask))));
        std::string expected = joinedSorted(row.expected);
        if (ovs::platform::isWine()) {
            if (found != expected) {
                ++deviations;
                ovs::test::recordWineDeviation(std::string(row.id) + "_" + std::to_string(deviations),
                                               "mask '" + std::string(row.mask) + "' gave " + found);
            }
        } else {
            EXPECT_EQ(expected, found) << row.id << " mask '" << row.mask << "'";
        }
    }
    if (deviations > 0) {
        std::cout << "[ wine     ] " << deviations
                  << " wildcard rows differ under Wine (its known lack of DOS rules)\n";
    }
}

const std::vector<std::string> directoryD = {
    "a",      "aa",        "aaa",        "aaaa",           "a.a",       "one",  "one.two",   "a.one",
    "ab.two", "abc.three", "readme.txt", "readme.txt.bak", "data.html", "x.tx", "Mixed.Case"};

std::vector<std::string> everything() {
    std::vector<std::string> all = directoryD;
    all.insert(all.end(), {".", ".."});
    return all;
}

TEST(WildcardConformance, MasksOverOrdinaryNames) {
    const std::vector<WildcardCase> rows = {
        {"J01", "*", everything()},
        {"J01", "*.*", everything()},
        {"J01", "*. ", everything()},
        {"J01", "*.*.*", everything()},
        {"J02", "*.", {".", "..", "a", "aa", "aaa", "aaaa", "one"}},
        {"J03", "?", {".", "..", "a"}},
        {"J03", "??", {".", "..", "a", "aa"}},
        {"J03", "???", {".", "..", "a", "aa", "aaa", "one"}},
        {"J03", "????", {".", "..", "a", "aa", "aaa", "aaaa", "one"}},
        {"J04", "?.?", {".", "..", "a", "a.a"}},
        {"J04", "a?", {"a", "aa"}},
        {"J04", "a.?", {"a", "a.a"}},
        {"J05", "a??.*", {"a", "aa", "aaa", "a.a", "a.one", "ab.two", "abc.three"}},
        {"J06", "*.?????", everything()},
        {"J07", "*.?", {".", "..", "a", "aa", "aaa", "aaaa", "a.a", "one"}},
        {"J08", "*a", {"a", "aa", "aaa", "aaaa", "a.a"}},
        {"J08", "a*", {"a", "aa", "aaa", "aaaa", "a.a", "a.one", "ab.two", "abc.three"}},
        {"J08", "a*.", {"a", "aa", "aaa", "aaaa"}},
        {"J09", "*.a", {"a.a"}},
        {"J09", "*.two", {"one.two", "ab.two"}},
        {"J09", "*.tx", {"x.tx"}},
        {"J09", "*.tx?", {"readme.txt", "x.tx"}},
        {"J09", "x.tx?", {"x.tx"}},
        {"J10", "*.txt", {"readme.txt"}},
        {"J10", "*.TXT", {"readme.txt"}},
        {"J10", "*.t?t", {"readme.txt"}},
        {"J10", "*.bak", {"readme.txt.bak"}},
        {"J10", "readme.*", {"readme.txt", "readme.txt.bak"}},
        {"J11", "*.htm", {}},
        {"J11", "*.thr", {}},
        {"J12", "one.", {"one"}},
        {"J12", "one.*", {"one", "one.two"}},
        {"J12", "mixed.*", {"Mixed.Case"}},
        {"J12", "MIXED.CASE", {"Mixed.Case"}},
        {"J13", "*..*", {".", ".."}},
        {"J13", ".*", {".", ".."}},
        {"J13", "*.t*", {"one.two", "ab.two", "abc.three", "readme.txt", "readme.txt.bak", "x.tx"}},
        {"J20", "ONE.TWO", {"one.two"}},
    };
    checkRows(directoryD, rows);
}

TEST(WildcardConformance, MasksOverNamesWithLeadingDots) {
    const std::vector<std::string> files = {"..a",  "..a.a", ".a",    ".a..a", ".a.a", ".aaa", "a",
                                            "a..a", "a.a",   "a.a.a", "aa",    "aaa",  "aaaa", " .a"};
    const std::vector<WildcardCase> rows = {
        {"J14", ".*", {".", "..", "..a", "..a.a", ".a", ".a..a", ".a.a", ".aaa"}},
        {"J14", "*..*", {".", "..", "..a", "..a.a", ".a..a", "a..a"}},
        {"J14", "*.a", {"..a", "..a.a", ".a", ".a..a", ".a.a", "a..a", "a.a", "a.a.a", " .a"}},
        {"J14", ".*.", {".", "..", ".a", ".aaa"}},
        {"J14", "..*", {".", "..", "..a", "..a.a"}},
        {"J14", "aa.*", {"aa"}},
        {"J14", "? .*", {}},
        {"J14", ". *", {}},
        {"J14", "* . *", {}},
        {"J14", " *..", {}},
    };
    checkRows(files, rows);
}

TEST(WildcardConformance, CaseIsIgnoredForLettersBeyondAsciiAndQuestionMarkIsOneLetter) {
    ovs::test::InPrivateFolder here;
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
