// Path texts: joining, splitting, drives, absolute forms and the display form of messages.
#include "files/FileString.h"
#include "FileTestSupport.h"

#include <gtest/gtest.h>

namespace {

using ovs::FileString;

TEST(FileString, Join) {
    struct Case {
        const char* path;
        const char* component;
        const char* expected;
    };
    for (const Case& c :
         {Case{"C:\\a", "b", "C:\\a\\b"}, Case{"C:\\a\\", "\\b", "C:\\a\\b"}, Case{"C:\\a\\", "b", "C:\\a\\b"},
          Case{"C:\\a", "\\b", "C:\\a\\b"}, Case{"a", "", "a"}, Case{"", "b", "b"}, Case{"", "\\b", "\\b"},
          Case{"C:\\a", "b\\c.txt", "C:\\a\\b\\c.txt"}, Case{"C:\\a\\", "/b", "C:\\a/b"}}) {
        FileString path(c.path);
        EXPECT_EQ(c.expected, path.join(c.component)) << c.path << " + " << c.component;
    }
}

TEST(FileString, SeparatorAtTheEnd) {
    EXPECT_EQ("C:\\a\\", FileString("C:\\a").withSeparator());
    EXPECT_EQ("C:\\a\\", FileString("C:\\a\\").withSeparator());
    EXPECT_EQ("", FileString("").withSeparator());
    EXPECT_TRUE(FileString("C:\\").endsWithSeparator());
    EXPECT_FALSE(FileString("C:/").endsWithSeparator());
    EXPECT_FALSE(FileString("").endsWithSeparator());
}

TEST(FileString, NameParts) {
    struct Case {
        const char* path;
        const char* fileName;
        const char* bareName;
        const char* extension;
        const char* withoutExtension;
    };
    for (const Case& c : {Case{"C:\\dir.x\\file", "file", "file", "", "C:\\dir.x\\file"},
                          Case{"C:\\dir\\file.tar.gz", "file.tar.gz", "file.tar", "gz", "C:\\dir\\file.tar"},
                          Case{"x\\y.z", "y.z", "y", "z", "x\\y"}, Case{"a/b.c", "b.c", "b", "c", "a/b"},
                          Case{"plain", "plain", "plain", "", "plain"}, Case{"dir\\", "", "", "", "dir\\"},
                          Case{"name.", "name.", "name", "", "name"}}) {
        FileString path(c.path);
        EXPECT_EQ(c.fileName, path.fileName()) << c.path;
        EXPECT_EQ(c.bareName, path.fileName(false)) << c.path;
        EXPECT_EQ(c.extension, path.extension()) << c.path;
        EXPECT_EQ(c.withoutExtension, path.withoutExtension()) << c.path;
    }
}

TEST(FileString, DriveAndAbsoluteness) {
    struct Case {
        const char* path;
        const char* drive;
        bool absolute;
    };
    for (const Case& c :
         {Case{"C:\\x", "C:", true}, Case{"c:x", "c:", true}, Case{"\\\\srv\\share\\x", "\\\\srv", true},
          Case{"//srv/share", "", true}, Case{"x\\y", "", false}, Case{"\\x", "", false}, Case{"C", "", false},
          Case{"", "", false}, Case{"\\/x", "", false}}) {
        EXPECT_EQ(c.drive, FileString(c.path).drive()) << c.path;
        EXPECT_EQ(c.absolute, FileString(c.path).isAbsolute()) << c.path;
    }
}

TEST(FileString, AbsoluteFolderAndComponentsFollowTheCurrentFolder) {
    ovs::test::InPrivateFolder here;
    const std::string current = here.current();
    EXPECT_EQ(current, FileString("").absolute());
    EXPECT_EQ(current, FileString::currentFolder());
    EXPECT_EQ(current + "\\a\\b.txt", FileString("a\\x\\..\\b.txt").absolute());
    EXPECT_EQ(current + "\\a", FileString("a\\b.txt").folder());
    EXPECT_EQ(current, FileString("").folder());
    EXPECT_EQ("C:\\dir", FileString("C:\\dir\\f.txt").folder());
    std::vector<FileString> expected = {"C:", "a", "b"};
    EXPECT_EQ(expected, FileString("C:\\a\\\\b\\").components());
}

TEST(FileString, FileAndFolderTests) {
    ovs::test::InPrivateFolder here;
    here.makeFile("f.txt");
    here.makeFolder("d");
    EXPECT_TRUE(FileString("f.txt").isFile());
    EXPECT_FALSE(FileString("f.txt").isFolder());
    EXPECT_TRUE(FileString(here.folder() / "d").isFolder());
    EXPECT_FALSE(FileString("d").isFile());
    EXPECT_FALSE(FileString("none").isFile());
    EXPECT_FALSE(FileString("none").isFolder());
}

TEST(FileStringDisplay, WithoutTheCurrentFolder) {
    struct Case {
        const char* path;
        unsigned maximum;
        unsigned flags;
        const char* expected;
    };
    for (const Case& c :
         {Case{"", 0, 1, "<none>"}, Case{"", 0, 0, ""}, Case{"c:\\x\\y.txt", 0, 0, "C:\\x\\y.txt"},
          Case{"C:\\my dir\\y.txt", 0, 0, "\"C:\\my dir\\y.txt\""},
          Case{"C:\\my dir\\y.txt", 0, 2, "C:\\my dir\\y.txt"},
          Case{"\\\\srv\\share\\a.txt", 0, 1, "\\\\srv\\share\\a.txt"}, Case{"/usr/a.txt", 0, 1, "/usr/a.txt"},
          Case{"C:\\alpha\\beta\\gamma\\delta\\file.txt", 20, 0, "C:\\...\\delta\\file.txt"},
          Case{"C:\\alpha\\beta\\gamma\\delta\\file.txt", 9, 0, "C:\\...\\file.txt"},
          Case{"C:\\alpha\\beta\\gamma\\delta\\file.txt", 2, 0, "C:\\...\\file.txt"},
          Case{"C:\\alpha\\beta\\gamma\\delta\\file.txt", 40, 0, "C:\\alpha\\beta\\gamma\\delta\\file.txt"},
          Case{"C:\\alpha\\long name\\file.txt", 12, 0, "\"C:\\...\\file.txt\""},
          Case{"averyveryverylongname", 5, 0, "averyveryverylongname"}}) {
        EXPECT_EQ(c.expected, FileString(c.path).displayForm(c.maximum, c.flags))
            << c.path << " max " << c.maximum << " flags " << c.flags;
    }
}

TEST(FileStringDisplay, RelativeToTheCurrentFolder) {
    ovs::test::InPrivateFolder here;
    const std::string current = here.current();
    const std::string drive = current.substr(0, 2);
    const std::string rest = current.substr(2);
    std::string lower = current;
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    struct Case {
        std::string path;
        std::string expected;
    };
    for (const Case& c :
         {Case{current + "\\a.txt", "a.txt"}, Case{current, "."}, Case{current + "\\my file.txt", "\"my file.txt\""},
          Case{current + "\\sub\\b.txt", "sub\\b.txt"}, Case{lower + "\\a.txt", "a.txt"},
          Case{current + "x\\a.txt", rest + "x\\a.txt"}, Case{drive + "\\other\\x", "\\other\\x"},
          Case{"x.txt", "x.txt"}, Case{rest + "\\a.txt", "a.txt"}}) {
        EXPECT_EQ(c.expected, FileString(c.path).displayForm(0, 1)) << c.path;
        EXPECT_EQ(current, here.current()) << "the current folder is left as it was";
    }
}

} // namespace
