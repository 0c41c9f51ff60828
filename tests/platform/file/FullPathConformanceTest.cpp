// Conformance of GetFullPathNameA and GetCurrentDirectoryA: the normalisation rules (dots,
// spaces, "..", separators), paths relative to a known current folder, the file part and the
// buffer-size rules. Paths on drive C: are pure text here: nothing on disk is consulted.
#include "FileTestSupport.h"
#include "RowNames.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>

namespace {

struct FullPathCase {
    const char* input;
    const char* expected; // "$T" stands for the current folder, "$D" for its drive root without
                          // the separator, "$d" for its drive letter in lower case
    const char* filePart; // nullptr: no file part; "$L": the last component of the result
};

std::string expand(std::string text, const std::string& current) {
    std::string drive = current.substr(0, 2); // "Z:" or "C:"
    std::string letter(1, static_cast<char>(std::tolower(static_cast<unsigned char>(current[0]))));
    for (auto [key, value] : {std::pair<std::string, std::string>{"$T", current}, {"$D", drive}, {"$d", letter}}) {
        for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size())) {
            text.replace(at, key.size(), value);
        }
    }
    return text;
}

// Names the case in test listings by its input, with every character but letters and digits
// written as "_".
void PrintTo(const FullPathCase& c, std::ostream* out) {
    for (const char* p = c.input; *p != '\0'; ++p) {
        *out << (std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_');
    }
}

std::string parentOf(const std::string& folder) {
    return folder.substr(0, folder.find_last_of('\\'));
}

class FullPathConformance : public testing::TestWithParam<FullPathCase> {};

TEST_P(FullPathConformance, ResultAndFilePart) {
    const FullPathCase& c = GetParam();
    ovs::test::InPrivateFolder here;
    const std::string current = here.current();
    const std::string input = expand(c.input, current);
    std::string expected = expand(c.expected, current);
    if (expected == "$P") {
        expected = parentOf(current);
    }
    char buffer[MAX_PATH + 1];
    std::memset(buffer, '#', sizeof buffer);
    LPSTR filePart = reinterpret_cast<LPSTR>(1);
    DWORD length = GetFullPathNameA(input.c_str(), MAX_PATH, buffer, &filePart);
    ASSERT_EQ(expected.size(), length) << input;
    EXPECT_EQ(expected, std::string(buffer)) << input;
    if (c.filePart == nullptr) {
        EXPECT_EQ(nullptr, filePart) << input;
    } else {
        ASSERT_NE(nullptr, filePart) << input;
        std::string part = c.filePart;
        if (part == "$L") {
            part = expected.substr(expected.find_last_of('\\') + 1);
        }
        EXPECT_EQ(part, filePart) << input;
    }
}

INSTANTIATE_TEST_SUITE_P(
    GetFullPathNameA, FullPathConformance,
    testing::Values(
        FullPathCase{"c:/test", "c:\\test", "test"}, FullPathCase{"c:/test/", "c:\\test\\", nullptr},
        FullPathCase{"c:/test     ", "c:\\test", "test"}, FullPathCase{"c:/test.", "c:\\test", "test"},
        FullPathCase{"c:/test  ....   ..   ", "c:\\test", "test"},
        FullPathCase{"c:/test/  ....   ..   ", "c:\\test\\", nullptr}, FullPathCase{"c:/test/..", "c:\\", nullptr},
        FullPathCase{"c:/test/.. ", "c:\\test\\", nullptr}, FullPathCase{"c:/test./file", "c:\\test\\file", "file"},
        FullPathCase{"c:/test.. /file", "c:\\test.. \\file", "file"},
        FullPathCase{"c:/test/././file", "c:\\test\\file", "file"},
        FullPathCase{"c:/test\\.\\.\\file", "c:\\test\\file", "file"},
        FullPathCase{"c:/test\\\\.\\.\\file", "c:\\test\\file", "file"},
        FullPathCase{"c:/test\\test1\\..\\.\\file", "c:\\test\\file", "file"},
        FullPathCase{"c:///test\\.\\.\\file//", "c:\\test\\file\\", nullptr},
        FullPathCase{"c:///test\\..\\file\\..\\//", "c:\\", nullptr}, FullPathCase{"c:\\test\\*.", "c:\\test\\*", "*"},
        FullPathCase{"c:\\test\\a*b.*", "c:\\test\\a*b.*", "a*b.*"},
        FullPathCase{"c:\\test\\a*b*.", "c:\\test\\a*b*", "a*b*"}, FullPathCase{"c:/", "c:\\", nullptr},
        FullPathCase{"\\\\foo", "\\\\foo", nullptr}, FullPathCase{"//foo", "\\\\foo", nullptr},
        FullPathCase{"\\/foo", "\\\\foo", nullptr}, FullPathCase{"//foo/", "\\\\foo\\", nullptr},
        FullPathCase{"\\\\server\\share\\x\\..\\y", "\\\\server\\share\\y", "y"},
        FullPathCase{"c:\\a\\b\\..\\..\\..\\..", "c:\\", nullptr},
        // Against the current folder.
        FullPathCase{"foo", "$T\\foo", "foo"}, FullPathCase{"./foo", "$T\\foo", "foo"}, FullPathCase{".", "$T", "$L"},
        FullPathCase{"...", "$T\\", nullptr}, FullPathCase{"foo/..", "$T", "$L"}, FullPathCase{"..", "$P", "$L"},
        FullPathCase{"\\foo", "$D\\foo", "foo"}, FullPathCase{"$d:foo", "$T\\foo", "foo"},
        FullPathCase{"$d:./foo", "$T\\foo", "foo"}, FullPathCase{"$d:.", "$T", "$L"},
        FullPathCase{"?<>*\"|:", "$T\\?<>*\"|:", "?<>*\"|:"}),
    ovs::test::namedBy(&FullPathCase::input));

TEST(FullPathConformance, ShortBufferReturnsTheSizeWithTheNulAndTouchesNothing) {
    ovs::test::InPrivateFolder here;
    const std::string expected = here.current() + "\\foo";
    const DWORD needed = static_cast<DWORD>(expected.size() + 1);
    for (DWORD size : {DWORD(0), DWORD(5), needed - 1}) {
        char buffer[MAX_PATH];
        std::memset(buffer, '#', sizeof buffer);
        LPSTR filePart = reinterpret_cast<LPSTR>(1);
        EXPECT_EQ(needed, GetFullPathNameA("foo", size, buffer, &filePart)) << size;
        EXPECT_EQ('#', buffer[0]) << size;
        EXPECT_EQ(reinterpret_cast<LPSTR>(1), filePart) << size;
    }
    for (DWORD size : {needed, needed + 1}) {
        char buffer[MAX_PATH];
        LPSTR filePart = nullptr;
        EXPECT_EQ(needed - 1, GetFullPathNameA("foo", size, buffer, &filePart)) << size;
        EXPECT_EQ(expected, buffer);
        ASSERT_NE(nullptr, filePart);
        EXPECT_STREQ("foo", filePart);
    }
}

TEST(FullPathConformance, EmptyNameGivesZeroAndTouchesNothing) {
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    LPSTR filePart = reinterpret_cast<LPSTR>(1);
    EXPECT_EQ(0u, GetFullPathNameA("", sizeof buffer, buffer, &filePart));
    EXPECT_EQ('#', buffer[0]);
    EXPECT_EQ(reinterpret_cast<LPSTR>(1), filePart);
}

TEST(FullPathConformance, CurrentDirectoryWithBufferRules) {
    ovs::test::InPrivateFolder here;
    const std::string& expected = here.folder().path();
    char buffer[MAX_PATH];
    std::memset(buffer, '#', sizeof buffer);
    const DWORD needed = static_cast<DWORD>(expected.size() + 1);
    EXPECT_EQ(needed, GetCurrentDirectoryA(0, nullptr));
    EXPECT_EQ(needed, GetCurrentDirectoryA(needed - 1, buffer));
    EXPECT_EQ(needed - 1, GetCurrentDirectoryA(needed, buffer));
    // The current folder as the system names it: the same text up to the case of its letters.
    std::string reported = buffer;
    ASSERT_EQ(expected.size(), reported.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(std::tolower(static_cast<unsigned char>(expected[i])),
                  std::tolower(static_cast<unsigned char>(reported[i])))
            << reported;
    }
}

} // namespace
