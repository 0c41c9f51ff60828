// Path texts: joining, splitting, drives, absolute forms and the display form of messages.
#include "strings/FileString.h"
#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <tuple>

namespace {

using ovs::FileString;
using Texts = std::vector<std::string>;

TEST(FileString, JoinAndSeparators) {
    // clang-format off
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"C:\\a", "b", "C:\\a\\b"},   {"C:\\a\\", "\\b", "C:\\a\\b"}, {"C:\\a\\", "b", "C:\\a\\b"},
        {"C:\\a", "\\b", "C:\\a\\b"}, {"a", "", "a"},                {"", "b", "b"},
        {"", "\\b", "\\b"},           {"C:\\a", "b\\c.txt", "C:\\a\\b\\c.txt"}, {"C:\\a\\", "/b", "C:\\a/b"}};
    // clang-format on
    for (const auto& [start, component, expected] : cases) {
        FileString path(start);
        EXPECT_EQ(expected, path.join(component)) << start << " + " << component;
    }
    EXPECT_EQ((Texts{"C:\\a\\", "C:\\a\\", ""}),
              (Texts{FileString("C:\\a").withSeparator(), FileString("C:\\a\\").withSeparator(),
                     FileString("").withSeparator()}));
    EXPECT_EQ((std::vector<bool>{true, false, false}),
              (std::vector<bool>{FileString("C:\\").endsWithSeparator(), FileString("C:/").endsWithSeparator(),
                                 FileString("").endsWithSeparator()}));
}

TEST(FileString, NamePartsDriveAndAbsoluteness) {
    // Path, file name, bare name, extension, without extension.
    const std::tuple<const char*, const char*, const char*, const char*, const char*> names[] = {
        {"C:\\dir.x\\file", "file", "file", "", "C:\\dir.x\\file"},
        {"C:\\dir\\file.tar.gz", "file.tar.gz", "file.tar", "gz", "C:\\dir\\file.tar"},
        {"x\\y.z", "y.z", "y", "z", "x\\y"},
        {"a/b.c", "b.c", "b", "c", "a/b"},
        {"plain", "plain", "plain", "", "plain"},
        {"dir\\", "", "", "", "dir\\"},
        {"name.", "name.", "name", "", "name"}};
    for (const auto& [path, fileName, bareName, extension, withoutExtension] : names) {
        FileString text(path);
        EXPECT_EQ((Texts{fileName, bareName, extension, withoutExtension}),
                  (Texts{text.fileName(), text.fileName(false), text.extension(), text.withoutExtension()}))
            << path;
    }
    const std::tuple<const char*, const char*, bool> drives[] = {
        {"C:\\x", "C:", true},     {"c:x", "c:", true}, {"\\\\srv\\share\\x", "\\\\srv", true},
        {"//srv/share", "", true}, {"x\\y", "", false}, {"\\x", "", false},
        {"C", "", false},          {"", "", false},     {"\\/x", "", false}};
    for (const auto& [path, drive, absolute] : drives) {
        EXPECT_EQ(drive, FileString(path).drive()) << path;
        EXPECT_EQ(absolute, FileString(path).isAbsolute()) << path;
    }
}

TEST(FileString, AbsoluteFolderComponentsAndTestsFollowTheCurrentFolder) {
    ovs::test::InPrivateFolder here;
    here.makeFile("f.txt");
    here.makeFolder("d");
    const std::string current = here.current();
    EXPECT_EQ((Texts{current, current, current + "\\a\\b.txt", current + "\\a", current, "C:\\dir"}),
              (Texts{FileString("").absolute(), FileString::currentFolder(), FileString("a\\x\\..\\b.txt").absolute(),
                     FileString("a\\b.txt").folder(), FileString("").folder(), FileString("C:\\dir\\f.txt").folder()}));
    EXPECT_EQ((std::vector<FileString>{"C:", "a", "b"}), FileString("C:\\a\\\\b\\").components());
    EXPECT_EQ((std::vector<bool>{true, false, true, false, false, false}),
              (std::vector<bool>{FileString("f.txt").isFile(), FileString("f.txt").isFolder(),
                                 FileString(here.folder() / "d").isFolder(), FileString("d").isFile(),
                                 FileString("none").isFile(), FileString("none").isFolder()}));
}

// Without the current folder, and relative to it (flag 1) where the path lies below it.
TEST(FileStringDisplay, WithOrWithoutTheCurrentFolder) {
    ovs::test::InPrivateFolder here;
    const std::string current = here.current(), drive = current.substr(0, 2), rest = current.substr(2);
    std::string lower = current;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    // clang-format off
    const std::tuple<std::string, unsigned, unsigned, std::string> cases[] = {
        {"", 0, 1, "<none>"},                                      {"", 0, 0, ""},
        {"c:\\x\\y.txt", 0, 0, "C:\\x\\y.txt"},                    {"/usr/a.txt", 0, 1, "/usr/a.txt"},
        {"C:\\my dir\\y.txt", 0, 0, "\"C:\\my dir\\y.txt\""},       {"C:\\my dir\\y.txt", 0, 2, "C:\\my dir\\y.txt"},
        {"\\\\srv\\share\\a.txt", 0, 1, "\\\\srv\\share\\a.txt"},
        {"C:\\alpha\\beta\\gamma\\delta\\file.txt", 20, 0, "C:\\...\\delta\\file.txt"},
        {"C:\\alpha\\beta\\gamma\\delta\\file.txt", 9, 0, "C:\\...\\file.txt"},
        {"C:\\alpha\\beta\\gamma\\delta\\file.txt", 2, 0, "C:\\...\\file.txt"},
        {"C:\\alpha\\beta\\gamma\\delta\\file.txt", 40, 0, "C:\\alpha\\beta\\gamma\\delta\\file.txt"},
        {"C:\\alpha\\long name\\file.txt", 12, 0, "\"C:\\...\\file.txt\""},
        {"averyveryverylongname", 5, 0, "averyveryverylongname"},
        {current + "\\a.txt", 0, 1, "a.txt"},                   {current, 0, 1, "."},
        {current + "\\my file.txt", 0, 1, "\"my file.txt\""},   {current + "\\sub\\b.txt", 0, 1, "sub\\b.txt"},
        {lower + "\\a.txt", 0, 1, "a.txt"},                     {drive + "\\other\\x", 0, 1, "\\other\\x"},
        {current + "x\\a.txt", 0, 1, rest + "x\\a.txt"},        {"x.txt", 0, 1, "x.txt"},
        {rest + "\\a.txt", 0, 1, "a.txt"}};
    // clang-format on
    for (const auto& [path, maximum, flags, expected] : cases) {
        EXPECT_EQ(expected, FileString(path).displayForm(maximum, flags))
            << path << " max " << maximum << " flags " << flags;
        EXPECT_EQ(current, here.current()) << "the current folder is left as it was";
    }
}

} // namespace
