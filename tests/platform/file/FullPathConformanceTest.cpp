// Conformance of GetFullPathNameA and GetCurrentDirectoryA: the normalisation rules (dots,
// spaces, "..", separators), paths relative to a known current folder, the file part and the
// buffer-size rules. Paths on drive C: are pure text here: nothing on disk is consulted.
#include "FileTestSupport.h"
#include "RowNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

struct FullPathCase {
    const char* input;
    const char* expected; // "$T" stands for the current folder, "$P" for its parent, "$D" for its
                          // drive root without the separator, "$d" for its drive letter in lower case
    const char* filePart; // nullptr: no file part; "$L": the last component of the result
};

std::string expand(std::string text, const std::string& current) {
    const std::string letter(1, static_cast<char>(std::tolower(static_cast<unsigned char>(current[0]))));
    for (auto [key, value] : {std::pair<std::string, std::string>{"$T", current},
                              {"$P", current.substr(0, current.find_last_of('\\'))},
                              {"$D", current.substr(0, 2)},
                              {"$d", letter}}) {
        for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size())) {
            text.replace(at, key.size(), value);
        }
    }
    return text;
}

class FullPathConformance : public testing::TestWithParam<FullPathCase> {};

TEST_P(FullPathConformance, ResultAndFilePart) {
    const FullPathCase& c = GetParam();
    ovs::test::InPrivateFolder here;
    const std::string input = expand(c.input, here.current());
    const std::string expected = expand(c.expected, here.current());
    std::string buffer(MAX_PATH + 1, '#');
    LPSTR filePart = reinterpret_cast<LPSTR>(1);
    ASSERT_EQ(expected.size(), GetFullPathNameA(input.c_str(), MAX_PATH, buffer.data(), &filePart)) << input;
    EXPECT_EQ(expected + '\0', buffer.substr(0, expected.size() + 1)) << input;
    const std::string part = c.filePart == nullptr             ? "(none)"
                             : c.filePart == std::string("$L") ? expected.substr(expected.find_last_of('\\') + 1)
                                                               : c.filePart;
    EXPECT_EQ(part, filePart == nullptr ? "(none)" : filePart) << input;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    GetFullPathNameA, FullPathConformance,
    testing::ValuesIn(std::vector<FullPathCase>{
        {"c:/test", "c:\\test", "test"}, {"c:/test/", "c:\\test\\", nullptr}, {"c:/test     ", "c:\\test", "test"},
        {"c:/test.", "c:\\test", "test"}, {"c:/test  ....   ..   ", "c:\\test", "test"},
        {"c:/test/  ....   ..   ", "c:\\test\\", nullptr}, {"c:/test/..", "c:\\", nullptr},
        {"c:/test/.. ", "c:\\test\\", nullptr}, {"c:/test./file", "c:\\test\\file", "file"},
        {"c:/test.. /file", "c:\\test.. \\file", "file"}, {"c:/test/././file", "c:\\test\\file", "file"},
        {"c:/test\\.\\.\\file", "c:\\test\\file", "file"}, {"c:/test\\\\.\\.\\file", "c:\\test\\file", "file"},
        {"c:/test\\test1\\..\\.\\file", "c:\\test\\file", "file"},
        {"c:///test\\.\\.\\file//", "c:\\test\\file\\", nullptr}, {"c:///test\\..\\file\\..\\//", "c:\\", nullptr},
        {"c:\\test\\*.", "c:\\test\\*", "*"}, {"c:\\test\\a*b.*", "c:\\test\\a*b.*", "a*b.*"},
        {"c:\\test\\a*b*.", "c:\\test\\a*b*", "a*b*"}, {"c:/", "c:\\", nullptr}, {"\\\\foo", "\\\\foo", nullptr},
        {"//foo", "\\\\foo", nullptr}, {"\\/foo", "\\\\foo", nullptr}, {"//foo/", "\\\\foo\\", nullptr},
        {"\\\\server\\share\\x\\..\\y", "\\\\server\\share\\y", "y"}, {"c:\\a\\b\\..\\..\\..\\..", "c:\\", nullptr},
        // Against the current folder.
        {"foo", "$T\\foo", "foo"}, {"./foo", "$T\\foo", "foo"}, {".", "$T", "$L"}, {"...", "$T\\", nullptr},
        {"foo/..", "$T", "$L"}, {"..", "$P", "$L"}, {"\\foo", "$D\\foo", "foo"}, {"$d:foo", "$T\\foo", "foo"},
        {"$d:./foo", "$T\\foo", "foo"}, {"$d:.", "$T", "$L"}, {"?<>*\"|:", "$T\\?<>*\"|:", "?<>*\"|:"}}),
    ovs::test::namedBy(&FullPathCase::input));
// clang-format on

TEST(FullPathConformance, ShortBufferOrEmptyNameTouchNothing) {
    ovs::test::InPrivateFolder here;
    const std::string expected = here.current() + "\\foo";
    const DWORD needed = static_cast<DWORD>(expected.size() + 1);
    // A short buffer gets the size with the NUL and is left alone; an empty name gives zero.
    for (auto [name, size, result] : {std::tuple<const char*, DWORD, DWORD>{"foo", 0, needed},
                                      {"foo", 5, needed},
                                      {"foo", needed - 1, needed},
                                      {"", 8, 0},
                                      {"foo", needed, needed - 1},
                                      {"foo", needed + 1, needed - 1}}) {
        std::string buffer(MAX_PATH, '#');
        LPSTR filePart = reinterpret_cast<LPSTR>(1);
        EXPECT_EQ(result, GetFullPathNameA(name, size, buffer.data(), &filePart)) << size;
        const bool written = result == needed - 1;
        EXPECT_EQ(written ? expected + '\0' : "#", buffer.substr(0, written ? needed : 1)) << size;
        // The file part points at "foo" in the buffer where the name was written; else it is left alone.
        const void* part = written ? buffer.data() + expected.size() - 3 : reinterpret_cast<void*>(1);
        EXPECT_EQ(part, static_cast<const void*>(filePart)) << size;
    }
}

TEST(FullPathConformance, CurrentDirectoryWithBufferRules) {
    ovs::test::InPrivateFolder here;
    const std::string& expected = here.folder().path();
    std::string buffer(MAX_PATH, '#');
    const DWORD needed = static_cast<DWORD>(expected.size() + 1);
    EXPECT_EQ(needed, GetCurrentDirectoryA(0, nullptr));
    EXPECT_EQ(needed, GetCurrentDirectoryA(needed - 1, buffer.data()));
    EXPECT_EQ(needed - 1, GetCurrentDirectoryA(needed, buffer.data()));
    // The current folder as the system names it: the same text up to the case of its letters.
    auto lower = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
        return text;
    };
    EXPECT_EQ(lower(expected), lower(buffer.c_str()));
}

} // namespace
