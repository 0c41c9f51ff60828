// The file object: open and create modes, folder creation, exact reads, wiping, file times
// and the file errors with their message numbers and Windows codes.
#include "files/File.h"
#include "FileTestSupport.h"
#include "RuntimeTestSupport.h"
#include "files/FileError.h"
#include "runtime/Exception.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <tuple>

namespace {

using ovs::File;

// The file error the action raises as "<number> <Windows code> <%1>", followed by " at <path>" when
// asked, or as its composed message; "none" when it raises none.
enum class Shown { Fields, FieldsAndPath, Message };
std::string raised(const std::function<void()>& action, Shown shown = Shown::Fields) {
    try {
        action();
    } catch (const ovs::FileException& error) {
        const std::string fields =
            std::to_string(error.number()) + " " + std::to_string(error.systemError()) + " " + error.argument(1);
        return shown == Shown::Message  ? error.message()
               : shown == Shown::Fields ? fields
                                        : fields + " at " + error.path();
    }
    return "none";
}

struct ErrorCase {
    const char* path; // below the private folder; nullptr: a file object without path
    std::function<void(File&)> action;
    const char* expected;
    int before = 0; // 1: opened for reading before the action; 2: opened and closed again
};

TEST(File, ErrorsCarryNumberCodeAndDisplayNameAndTouchNothing) {
    const auto read = [](std::uint32_t mode) { return [mode](File& f) { f.open(mode); }; };
    const std::uint32_t RW = File::Read | File::Write;
    const ErrorCase cases[] = {
        {"missing.txt", read(File::Read), "1001 2 missing.txt"},
        {"missing.txt", [](File& f) { f.flush(); }, "1001 0 missing.txt"},
        {"there.txt", [&](File& f) { f.create(File::MustNotExist | RW); }, "1029 0 there.txt"},
        {"there.txt", read(File::MustNotExist | File::Write), "1029 0 there.txt"},
        {"absent.txt", read(File::MustExist | RW), "1001 0 absent.txt"},
        {"folder", read(File::MustExist | File::Read), "1001 0 folder"},
        {"folder", read(File::Read), "1013 5 folder"},
        {"nowhere\\x.txt", read(RW), "1002 3 nowhere\\x.txt"},
        {"nowhere\\x.txt", [&](File& f) { f.create(RW); }, "1002 3 nowhere\\x.txt"},
        {"nowhere\\x.txt", [](File& f) { f.wipe(); }, "1002 3 nowhere\\x.txt"},
        {"there.txt",
         [&](File& f) {
             File holder(f.path());
             holder.open(RW);
             f.open(File::Read);
         },
         "1022 32 there.txt"},
        {"a\\b\\c", [](File& f) { f.createFolder(0); }, "1004 3 a\\b\\c"},
        {"a", [](File& f) { f.createFolder(0); }, "1004 183 a"},
        {nullptr, read(File::Read), "1003 0 "},
        {nullptr, [](File& f) { (void)f.path(); }, "1016 0 <none>"},
        {"four.bin", [](File& f) { f.read(std::array<char, 10>().data(), 10, true); }, "1009 0 four.bin", 1},
        {"four.bin", [](File& f) { f.read(std::array<char, 1>().data(), 1, false); }, "1009 0 four.bin", 2},
        {"four.bin", [](File& f) { f.write("x", 1); }, "1010 0 four.bin", 2},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.path ? c.path : "no path");
        ovs::test::InPrivateFolder here;
        here.makeFile("there.txt", "keep");
        here.makeFile("four.bin", "1234");
        here.makeFolder("folder");
        here.makeFolder("a");
        auto file = c.path ? std::make_unique<File>(here.folder() / c.path) : std::make_unique<File>();
        if (c.before > 0) {
            file->open(File::Read);
        }
        if (c.before > 1) {
            file->close();
        }
        EXPECT_EQ(c.expected, raised([&] { c.action(*file); }));
        EXPECT_EQ("keep", here.content("there.txt"));
        EXPECT_FALSE(here.exists("missing.txt") || here.exists("absent.txt"));
    }
}

// The composed lines name the file in its display form, relative to the current folder.
TEST(File, MessagesNameTheFileRelativeToTheCurrentFolder) {
    ovs::test::TestStartUp startUp;
    ovs::test::InPrivateFolder here;
    here.makeFolder("sub");
    const std::tuple<std::string, std::uint32_t, const char*> cases[] = {
        {"x.txt", File::Read, "fatal error OV1001 - file x.txt not found."},
        {here.folder() / "x.txt", File::Read, "fatal error OV1001 - file x.txt not found."},
        {"my x.txt", File::Read, "fatal error OV1001 - file \"my x.txt\" not found."},
        {"none\\x.txt", File::Read | File::Write, "fatal error OV1002 - folder not found: none\\x.txt."},
        {"sub", File::Read, "fatal error OV1013 - access to sub denied."},
        {"", File::Read, "fatal error OV1003 - file <none> cannot be opened."}};
    for (const auto& [path, mode, expected] : cases) {
        EXPECT_EQ(std::string("FraskPdfCmd: ") + expected,
                  raised([&, &path = path, mode = mode] { File(path).open(mode); }, Shown::Message));
    }
}

TEST(File, CreateOpenPositionsSizesTruncationAndAppend) {
    ovs::test::InPrivateFolder here;
    here.makeFile("f.bin", "old content");
    File file(here.folder() / "f.bin");
    file.create(File::Read | File::Write);
    EXPECT_TRUE(file.isOpen());
    EXPECT_EQ(0u, file.size());
    file.write("0123456789", 10);
    EXPECT_EQ(10u, file.tell());
    file.seek(4);
    EXPECT_EQ(4u, file.tell());
    file.truncate();
    EXPECT_EQ(4u, file.size());
    EXPECT_EQ(4u, file.size64());
    file.seekEnd();
    file.write("X", 1);
    file.rewind();
    char buffer[10];
    EXPECT_EQ(5u, file.read(buffer, 10, false));
    EXPECT_EQ("0123X", std::string(buffer, 5));
    file.close();
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ("0123X", here.content("f.bin"));

    File appending(here.folder() / "f.bin");
    appending.open(File::Read | File::Write | File::AtEnd);
    appending.write("Y", 1);
    appending.close();
    EXPECT_EQ("0123XY", here.content("f.bin"));
    File truncating(here.folder() / "f.bin");
    truncating.open(File::Write | File::Truncate);
    EXPECT_EQ(0u, truncating.size());
    // A missing file opened for writing is made: File.TimesAreSetAndReadInSecondsSince2000.
}

TEST(File, FoldersWipeRemoveAndFlush) {
    ovs::test::InPrivateFolder here;
    File deep(here.folder() / "a\\b\\c");
    deep.create(File::Folder | File::AllLevels);
    EXPECT_TRUE(here.exists("a/b/c"));
    deep.createFolder(File::AllLevels); // an existing folder is no error with all levels

    here.makeFile("secret.txt", std::string(70000, 's'));
    File secret(here.folder() / "secret.txt");
    EXPECT_TRUE(secret.wipe());
    EXPECT_EQ("", here.content("secret.txt"));
    EXPECT_FALSE(secret.isOpen());
    File fresh(here.folder() / "fresh.txt");
    EXPECT_TRUE(fresh.wipe());
    EXPECT_TRUE(here.exists("fresh.txt"));

    secret.flush(); // opens the existing file for the moment
    EXPECT_FALSE(secret.isOpen());
    EXPECT_TRUE(secret.remove());
    EXPECT_FALSE(here.exists("secret.txt"));
    EXPECT_FALSE(secret.remove());
}

// Times as seconds since 2000 (FileTimes) reach the file, made by opening it, and come back.
TEST(File, TimesAreSetAndReadInSecondsSince2000) {
    ovs::test::InPrivateFolder here;
    File file(here.folder() / "f.txt");
    file.open(File::Read | File::Write);
    const std::uint32_t moment = 666781503; // 2021-02-17 09:05:03 UTC
    file.setTimes(moment, moment, moment);
    std::uint32_t created = 0, accessed = 0, written = 0;
    file.getTimes(created, accessed, written);
    EXPECT_EQ(moment, written);
    EXPECT_EQ(moment, accessed);
}

TEST(FileError, WindowsCodesChooseTheirNumbers) {
    struct Case {
        std::uint32_t code;
        int number;
        bool drive;
    };
    const Case cases[] = {{2, 1001, false},   {3, 1002, false},  {4, 1012, false},  {5, 1013, false},
                          {8, 1014, false},   {32, 1022, false}, {33, 1022, false}, {6009, 1010, false},
                          {183, 1029, false}, {15, 1015, true},  {19, 1017, true},  {20, 1015, true},
                          {21, 1018, true},   {23, 1009, true},  {25, 1019, true},  {26, 1020, true},
                          {27, 1019, true},   {29, 1010, true},  {30, 1009, true},  {31, 1015, true},
                          {34, 1021, true},   {39, 1011, true},  {112, 1011, true}, {0, 4711, false}};
    for (const Case& c : cases) {
        bool drive = !c.drive;
        EXPECT_EQ(c.number, ovs::fileMessageFor(c.code, 4711, &drive)) << c.code;
        EXPECT_EQ(c.drive, drive) << c.code;
    }
}

TEST(FileError, RaisedExceptionCarriesPathCodeAndArgument) {
    // Drive Q: is absent on both targets, so the display form cannot be made relative.
    const std::tuple<const char*, std::uint32_t, const char*> cases[] = {
        {"Q:\\dir\\f.txt", 19, "1017 19 Q:"},
        {"\\\\srv\\share\\f.txt", 21, "1018 21 \\\\srv"},
        {"\\\\srv", 21, "1018 21 "},
        {"rel\\f.txt", 31, "1015 31 "},
        {"Q:\\a b\\f.txt", 5, "1013 5 \"Q:\\a b\\f.txt\""},
        {"Q:\\f.txt", 1, "1005 1 Q:\\f.txt"}};
    for (const auto& [path, code, expected] : cases) {
        EXPECT_EQ(expected + std::string(" at ") + path,
                  raised([path = path, code = code] { ovs::raiseFileError(ovs::FileString(path), 1005, code); },
                         Shown::FieldsAndPath));
    }
}

} // namespace
