// The file object: open and create modes, folder creation, exact reads, wiping, file times
// and the file errors with their message numbers and Windows codes.
#include "files/File.h"
#include "FileTestSupport.h"
#include "MessageNumbers.h"
#include "files/FileError.h"
#include "files/FileTimes.h"
#include "runtime/Exception.h"

#include <gtest/gtest.h>

#include <functional>

namespace msg = ovs::msg;

namespace {

using ovs::File;
using ovs::FileException;

// Runs the action and returns the file exception it raises (number -1 when it raises none).
FileException caught(const std::function<void()>& action) {
    try {
        action();
    } catch (const FileException& error) {
        return error;
    }
    return FileException(-1);
}

TEST(File, OpeningAMissingFileForReadingRaises1001ThroughTheMapping) {
    ovs::test::InPrivateFolder here;
    File file(here.folder() / "missing.txt");
    FileException error = caught([&] { file.open(File::Read); });
    EXPECT_EQ(msg::FileNotFound, error.number());
    EXPECT_EQ(std::uint32_t(ERROR_FILE_NOT_FOUND), error.systemError());
    EXPECT_EQ(here.folder() / "missing.txt", error.path());
    EXPECT_EQ("missing.txt", error.argument(1)); // display form, relative to the current folder
    EXPECT_FALSE(here.exists("missing.txt"));
}

TEST(File, OpeningForReadAndWriteCreatesAMissingFile) {
    ovs::test::InPrivateFolder here;
    File file(here.folder() / "new.txt");
    file.open(File::Read | File::Write);
    EXPECT_TRUE(file.isOpen());
    file.write("abc", 3);
    file.close();
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ("abc", here.content("new.txt"));
}

TEST(File, ModeChecksComeBeforeAnythingIsTouched) {
    ovs::test::InPrivateFolder here;
    here.makeFile("there.txt", "keep");
    File present(here.folder() / "there.txt");
    EXPECT_EQ(msg::FileAlreadyExists,
              caught([&] { present.create(File::MustNotExist | File::Read | File::Write); }).number());
    EXPECT_EQ(msg::FileAlreadyExists, caught([&] { present.open(File::MustNotExist | File::Write); }).number());
    EXPECT_EQ("keep", here.content("there.txt"));

    File absent(here.folder() / "absent.txt");
    FileException error = caught([&] { absent.open(File::MustExist | File::Read | File::Write); });
    EXPECT_EQ(msg::FileNotFound, error.number());
    EXPECT_EQ(0u, error.systemError());
    EXPECT_FALSE(here.exists("absent.txt"));

    here.makeFolder("folder");
    File folder(here.folder() / "folder");
    EXPECT_EQ(msg::FileNotFound, caught([&] { folder.open(File::MustExist | File::Read); }).number());
}

TEST(File, OpeningWithoutAPathRaises1003AndAskingForTheEmptyPath1016) {
    File file;
    EXPECT_EQ(msg::FileCannotBeOpened, caught([&] { file.open(File::Read); }).number());
    FileException error = caught([&] { (void)file.path(); });
    EXPECT_EQ(msg::BadFileOrFolder, error.number());
    EXPECT_EQ("<none>", error.argument(1));
}

TEST(File, OpenErrorsCarryTheirMappedNumbers) {
    ovs::test::InPrivateFolder here;
    here.makeFile("locked.txt", "x");
    File holder(here.folder() / "locked.txt");
    holder.open(File::Read | File::Write);
    File second(here.folder() / "locked.txt");
    FileException locked = caught([&] { second.open(File::Read); });
    EXPECT_EQ(msg::FileLocked, locked.number());
    EXPECT_EQ(std::uint32_t(ERROR_SHARING_VIOLATION), locked.systemError());

    File inMissingFolder(here.folder() / "nowhere\\x.txt");
    EXPECT_EQ(msg::FolderNotFound, caught([&] { inMissingFolder.open(File::Read | File::Write); }).number());
    EXPECT_EQ(msg::FolderNotFound, caught([&] { inMissingFolder.create(File::Read | File::Write); }).number());

    here.makeFolder("folder");
    File folder(here.folder() / "folder");
    EXPECT_EQ(msg::AccessDenied, caught([&] { folder.open(File::Read); }).number());
}

TEST(File, CreateEmptiesAnExistingFile) {
    ovs::test::InPrivateFolder here;
    here.makeFile("f.txt", "old content");
    File file(here.folder() / "f.txt");
    file.create(File::Read | File::Write);
    EXPECT_EQ(0u, file.size());
    file.write("new", 3);
    file.close();
    EXPECT_EQ("new", here.content("f.txt"));
}

TEST(File, ReadExactRaises1009OnAShortRead) {
    ovs::test::InPrivateFolder here;
    here.makeFile("four.bin", "1234");
    File file(here.folder() / "four.bin");
    file.open(File::Read);
    char buffer[10];
    FileException error = caught([&] { file.read(buffer, 10, true); });
    EXPECT_EQ(msg::CannotReadFile, error.number());
    EXPECT_EQ(here.folder() / "four.bin", error.path());
    file.rewind();
    EXPECT_EQ(4u, file.read(buffer, 10, false));
    EXPECT_EQ("1234", std::string(buffer, 4));
    file.close();
    EXPECT_EQ(msg::CannotReadFile, caught([&] { file.read(buffer, 1, false); }).number());
    EXPECT_EQ(msg::CannotWriteFile, caught([&] { file.write("x", 1); }).number());
}

TEST(File, PositionsSizesAndTruncation) {
    ovs::test::InPrivateFolder here;
    File file(here.folder() / "f.bin");
    file.open(File::Read | File::Write);
    file.write("0123456789", 10);
    EXPECT_EQ(10u, file.tell());
    file.seek(4);
    EXPECT_EQ(4u, file.tell());
    file.truncate();
    EXPECT_EQ(4u, file.size());
    EXPECT_EQ(4u, file.size64());
    file.seekEnd();
    file.write("X", 1);
    file.close();
    EXPECT_EQ("0123X", here.content("f.bin"));

    File appending(here.folder() / "f.bin");
    appending.open(File::Read | File::Write | File::AtEnd);
    appending.write("Y", 1);
    appending.close();
    EXPECT_EQ("0123XY", here.content("f.bin"));

    File truncating(here.folder() / "f.bin");
    truncating.open(File::Write | File::Truncate);
    EXPECT_EQ(0u, truncating.size());
}

TEST(File, FolderCreationSingleAndAllLevels) {
    ovs::test::InPrivateFolder here;
    here.makeFolder("a");
    File deep(here.folder() / "a\\b\\c");
    FileException error = caught([&] { deep.createFolder(0); });
    EXPECT_EQ(msg::FileCannotBeCreated, error.number());
    EXPECT_EQ(std::uint32_t(ERROR_PATH_NOT_FOUND), error.systemError());

    deep.create(File::Folder | File::AllLevels);
    EXPECT_TRUE(here.exists("a/b/c"));
    deep.createFolder(File::AllLevels); // an existing folder is no error with all levels

    File existing(here.folder() / "a");
    FileException again = caught([&] { existing.createFolder(0); });
    EXPECT_EQ(msg::FileCannotBeCreated, again.number());
    EXPECT_EQ(std::uint32_t(ERROR_ALREADY_EXISTS), again.systemError());
}

TEST(File, WipeOverwritesEmptiesOrCreatesAndFailsOnlyForAMissingFolder) {
    ovs::test::InPrivateFolder here;
    here.makeFile("secret.txt", std::string(70000, 's'));
    File secret(here.folder() / "secret.txt");
    EXPECT_TRUE(secret.wipe());
    EXPECT_EQ("", here.content("secret.txt"));
    EXPECT_FALSE(secret.isOpen());

    File fresh(here.folder() / "fresh.txt");
    EXPECT_TRUE(fresh.wipe());
    EXPECT_TRUE(here.exists("fresh.txt"));

    File nowhere(here.folder() / "nowhere\\x.txt");
    EXPECT_EQ(msg::FolderNotFound, caught([&] { nowhere.wipe(); }).number()); // error 3 is thrown on
}

TEST(File, RemoveReportsWhetherWindowsDeleted) {
    ovs::test::InPrivateFolder here;
    here.makeFile("f.txt");
    File file(here.folder() / "f.txt");
    EXPECT_TRUE(file.remove());
    EXPECT_FALSE(here.exists("f.txt"));
    EXPECT_FALSE(file.remove());
}

TEST(File, FlushOpensAnExistingFileForTheMomentAndRequiresIt) {
    ovs::test::InPrivateFolder here;
    here.makeFile("f.txt", "x");
    File file(here.folder() / "f.txt");
    file.flush();
    EXPECT_FALSE(file.isOpen());
    File missing(here.folder() / "missing.txt");
    EXPECT_EQ(msg::FileNotFound, caught([&] { missing.flush(); }).number());
    EXPECT_FALSE(here.exists("missing.txt"));
}

TEST(FileTimes, SecondsSince2000) {
    struct Case {
        ULONGLONG units;
        std::uint32_t seconds;
    };
    const ULONGLONG at2000 = (946684800ULL + 11644473600ULL) * 10000000ULL;
    for (const Case& c :
         {Case{at2000, 0}, Case{at2000 + 9999999, 0}, Case{at2000 + 10000000, 1}, Case{at2000 - 1, 0xFFFFFFFEu},
          Case{0, 0xFFFFFFFEu}, Case{at2000 + 4294967294ULL * 10000000ULL, 0xFFFFFFFEu},
          Case{at2000 + 4294967295ULL * 10000000ULL, 0xFFFFFFFEu},
          Case{at2000 + 4294967293ULL * 10000000ULL, 4294967293u}}) {
        FILETIME time;
        time.dwLowDateTime = static_cast<DWORD>(c.units & 0xFFFFFFFFu);
        time.dwHighDateTime = static_cast<DWORD>(c.units >> 32);
        EXPECT_EQ(c.seconds, ovs::secondsSince2000(time)) << c.units;
    }
    FILETIME back = ovs::fileTimeOfSecondsSince2000(1);
    EXPECT_EQ(at2000 + 10000000, (ULONGLONG(back.dwHighDateTime) << 32) | back.dwLowDateTime);
}

TEST(File, TimesRoundTripThroughTheFile) {
    ovs::test::InPrivateFolder here;
    File file(here.folder() / "f.txt");
    file.open(File::Read | File::Write);
    const std::uint32_t moment = 666781503; // 2021-02-17 09:05:03 UTC
    file.setTimes(moment, moment, moment);
    std::uint32_t created = 0;
    std::uint32_t accessed = 0;
    std::uint32_t written = 0;
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
    for (const Case& c : {Case{2, ovs::msg::FileNotFound, false},
                          Case{3, ovs::msg::FolderNotFound, false},
                          Case{4, ovs::msg::TooManyOpenFiles, false},
                          Case{5, ovs::msg::AccessDenied, false},
                          Case{8, ovs::msg::NoMoreMemory, false},
                          Case{32, ovs::msg::FileLocked, false},
                          Case{33, ovs::msg::FileLocked, false},
                          Case{6009, ovs::msg::CannotWriteFile, false},
                          Case{183, ovs::msg::FileAlreadyExists, false},
                          Case{15, ovs::msg::InvalidDrive, true},
                          Case{19, ovs::msg::DiskWriteProtected, true},
                          Case{20, ovs::msg::InvalidDrive, true},
                          Case{21, ovs::msg::DiskCannotBeSelected, true},
                          Case{23, ovs::msg::CannotReadFile, true},
                          Case{25, ovs::msg::DiskCannotSeek, true},
                          Case{26, ovs::msg::DiskInvalidFormat, true},
                          Case{27, ovs::msg::DiskCannotSeek, true},
                          Case{29, ovs::msg::CannotWriteFile, true},
                          Case{30, ovs::msg::CannotReadFile, true},
                          Case{31, ovs::msg::InvalidDrive, true},
                          Case{34, ovs::msg::InvalidDiskChange, true},
                          Case{39, ovs::msg::DiskFull, true},
                          Case{112, ovs::msg::DiskFull, true},
                          Case{0, 4711, false}}) {
        bool drive = !c.drive;
        EXPECT_EQ(c.number, ovs::fileMessageFor(c.code, 4711, &drive)) << c.code;
        EXPECT_EQ(c.drive, drive) << c.code;
    }
}

TEST(FileError, RaisedExceptionCarriesPathCodeAndArgument) {
    struct Case {
        const char* path;
        std::uint32_t code;
        int number;
        const char* argument;
    };
    // Drive Q: is absent on both targets, so the display form cannot be made relative.
    for (const Case& c :
         {Case{"Q:\\dir\\f.txt", 19, msg::DiskWriteProtected, "Q:"},
          Case{"\\\\srv\\share\\f.txt", 21, msg::DiskCannotBeSelected, "\\\\srv"},
          Case{"\\\\srv", 21, msg::DiskCannotBeSelected, ""}, Case{"rel\\f.txt", 31, msg::InvalidDrive, ""},
          Case{"Q:\\a b\\f.txt", 5, msg::AccessDenied, "\"Q:\\a b\\f.txt\""},
          Case{"Q:\\f.txt", 1, msg::FileCannotBeClosed, "Q:\\f.txt"}}) {
        FileException error =
            caught([&] { ovs::raiseFileError(ovs::FileString(c.path), msg::FileCannotBeClosed, c.code); });
        EXPECT_EQ(c.number, error.number()) << c.path;
        EXPECT_EQ(c.argument, error.argument(1)) << c.path;
        EXPECT_EQ(c.code, error.systemError()) << c.path;
        EXPECT_EQ(c.path, error.path()) << c.path;
    }
}

} // namespace
