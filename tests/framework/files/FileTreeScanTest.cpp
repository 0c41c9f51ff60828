// The directory walk: which files and folders it reports, in which order the hooks come, and
// hooks that delete what they are given.
#include "files/FileTreeScan.h"
#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

namespace {

using ovs::FileScanSpec;
using ovs::FileString;
using ovs::FileTreeScan;

// Records every hook call as one line: "enter <folder> [sub,...]", "file <name> <n> <path>",
// "done <folder>"; folders relative to the root given.
class RecordingScan : public FileTreeScan {
public:
    explicit RecordingScan(std::string root) : root_(std::move(root)) {}
    void folderEntered(const FileString& folder, const std::vector<FileString>& subFolders) override {
        std::string line = "enter " + relative(folder) + " [";
        for (const FileString& name : subFolders) {
            line += name + ",";
        }
        calls.push_back(line + "]");
        EXPECT_EQ(folder, path());
    }
    void fileFound(const FileString& name) override {
        calls.push_back("file " + name + " " + std::to_string(filesInFolder()) + " " + relative(path()));
    }
    void folderDone() override { calls.push_back("done " + relative(path())); }

    std::vector<std::string> calls;

private:
    std::string relative(const std::string& path) const {
        return path.compare(0, root_.size(), root_) == 0 ? "~" + path.substr(root_.size()) : path;
    }
    std::string root_;
};

std::vector<std::string> filesOf(const std::vector<std::string>& calls) {
    std::vector<std::string> files;
    for (const std::string& call : calls) {
        if (call.compare(0, 5, "file ") == 0) {
            files.push_back(call.substr(5, call.find(' ', 5) - 5));
        }
    }
    return files;
}

FileScanSpec specOf(const std::string& folder, bool recursive, std::initializer_list<const char*> patterns) {
    FileScanSpec spec;
    spec.setFolder(folder, recursive);
    for (const char* pattern : patterns) {
        std::string text = pattern;
        spec.addPattern(pattern, text.find_first_of("*?") != std::string::npos);
    }
    return spec;
}

// Walks with a fresh recorder over the private folder and returns its hook calls.
std::vector<std::string> walk(const ovs::test::InPrivateFolder& here, bool recursive,
                              std::initializer_list<const char*> patterns, std::uint32_t scanFlags = 0,
                              std::uint32_t walkFlags = 0) {
    RecordingScan scan(here.folder().path());
    scan.configure(specOf(here.folder().path(), recursive, patterns), scanFlags, walkFlags);
    scan.scan();
    return scan.calls;
}

TEST(FileTreeScan, ConfigureCopiesTheSpecAndSetsTheFlags) {
    FileTreeScan scan;
    EXPECT_EQ(0u, scan.attributeFlags());
    scan.configure(specOf("C:\\x", true, {"*.txt"}), 0x1 | 0x10, 0x20);
    EXPECT_EQ("C:\\x\\", scan.path());
    EXPECT_EQ(0x20u | 0x100u, scan.walkFlags());
    EXPECT_EQ(0x20u | 0x40u | 0x80u, scan.attributeFlags());
    EXPECT_EQ(0x11u, scan.scanFlags());
    ASSERT_EQ(1u, scan.spec().patterns().size());
    scan.configure(specOf("C:\\y\\", false, {}), 0, 0);
    EXPECT_EQ("C:\\y\\", scan.path());
    EXPECT_EQ(0u, scan.walkFlags());
    EXPECT_EQ(0u, scan.attributeFlags());
}

TEST(FileTreeScan, NonRecursiveWalkVisitsOnlyTheStartFolderOncePerFile) {
    ovs::test::InPrivateFolder here;
    here.makeFile("a.txt");
    here.makeFile("b.txt");
    here.makeFile("c.doc");
    here.makeFile("sub/d.txt");
    std::vector<std::string> expected = {"enter ~ []", "file a.txt 1 ~\\a.txt", "file b.txt 2 ~\\b.txt", "done ~"};
    EXPECT_EQ(expected, walk(here, false, {"a.txt", "*.txt"}));
}

TEST(FileTreeScan, RecursiveWalkOrderWithFolderDoneBeforeOrAfterSubFolders) {
    ovs::test::InPrivateFolder here;
    here.makeFile("top.txt");
    here.makeFile("s1/one.txt");
    here.makeFile("s1/deep/two.txt");
    here.makeFolder("s2");
    std::vector<std::string> expectedBefore = {"enter ~ [s1,s2,]",
                                               "file top.txt 1 ~\\top.txt",
                                               "done ~",
                                               "enter ~\\s1 [deep,]",
                                               "file one.txt 1 ~\\s1\\one.txt",
                                               "done ~\\s1",
                                               "enter ~\\s1\\deep []",
                                               "file two.txt 1 ~\\s1\\deep\\two.txt",
                                               "done ~\\s1\\deep",
                                               "enter ~\\s2 []",
                                               "done ~\\s2"};
    EXPECT_EQ(expectedBefore, walk(here, true, {"*.txt"}));
    std::vector<std::string> expectedAfter = {"enter ~ [s1,s2,]",
                                              "file top.txt 1 ~\\top.txt",
                                              "enter ~\\s1 [deep,]",
                                              "file one.txt 1 ~\\s1\\one.txt",
                                              "enter ~\\s1\\deep []",
                                              "file two.txt 1 ~\\s1\\deep\\two.txt",
                                              "done ~\\s1\\deep",
                                              "done ~\\s1",
                                              "enter ~\\s2 []",
                                              "done ~\\s2",
                                              "done ~"};
    EXPECT_EQ(expectedAfter, walk(here, false, {"*.txt"}, 0x10, 0x100)); // walk flag instead of spec
}

TEST(FileTreeScan, MissingNamesAreReportedOnlyWithFlag2AndWithoutWildcards) {
    ovs::test::InPrivateFolder here;
    here.makeFile("real.txt");
    std::vector<std::string> expected = {"missing.txt", "real.txt"};
    EXPECT_EQ(expected, filesOf(walk(here, false, {"missing.txt", "missing*.txt", "real.txt", "REAL.TXT"}, 0x2)));
    EXPECT_TRUE(filesOf(walk(here, false, {"missing.txt"})).empty());
}

TEST(FileTreeScan, HiddenFilesAndFoldersNeedFlag1OrAttributeFlag40) {
    ovs::test::InPrivateFolder here;
    here.makeFile("shown.txt");
    here.makeFile(".hidden.txt");
    here.makeFile(".secret/inner.txt");
    struct Case {
        std::uint32_t scanFlags;
        std::uint32_t walkFlags;
        std::vector<std::string> files;
    };
    for (const Case& c : {Case{0, 0, {"shown.txt"}}, Case{0x1, 0, {".hidden.txt", "inner.txt", "shown.txt"}},
                          Case{0, 0x40, {".hidden.txt", "inner.txt", "shown.txt"}}}) {
        std::vector<std::string> files = filesOf(walk(here, true, {"*.txt"}, c.scanFlags, c.walkFlags));
        std::sort(files.begin(), files.end());
        EXPECT_EQ(c.files, files) << c.scanFlags << " " << c.walkFlags;
    }
}

TEST(FileTreeScan, AFolderThatCannotBeListedStillGetsItsHooks) {
    ovs::test::InPrivateFolder here;
    RecordingScan scan(here.folder().path());
    scan.configure(specOf(here.folder() / "missing", true, {"*"}), 0, 0);
    scan.scan();
    std::vector<std::string> expected = {"enter ~\\missing []", "done ~\\missing"};
    EXPECT_EQ(expected, scan.calls);
}

TEST(FileTreeScan, AnExceptionFromAHookEndsTheWalk) {
    ovs::test::InPrivateFolder here;
    here.makeFile("a.txt");
    here.makeFile("b.txt");
    here.makeFile("s/c.txt");
    struct Throwing : RecordingScan {
        using RecordingScan::RecordingScan;
        void fileFound(const FileString& name) override {
            RecordingScan::fileFound(name);
            throw std::runtime_error("stop");
        }
    } scan(here.folder().path());
    scan.configure(specOf(here.folder().path(), true, {"*.txt"}), 0, 0);
    EXPECT_THROW(scan.scan(), std::runtime_error);
    std::vector<std::string> expected = {"enter ~ [s,]", "file a.txt 1 ~\\a.txt"};
    EXPECT_EQ(expected, scan.calls);
}

// Counts the reports per name and, when asked, deletes every file it is given.
class CountingScan : public FileTreeScan {
public:
    explicit CountingScan(bool deleting) : deleting_(deleting) {}
    void fileFound(const FileString& name) override {
        ++reports[name];
        if (deleting_ && !DeleteFileA(path().c_str())) {
            ++failedDeletes;
        }
    }
    std::map<std::string, int> reports;
    int failedDeletes = 0;

private:
    bool deleting_;
};

TEST(FileTreeScan, ThousandsOfTaskFilesAreEachReportedOnceAndADeletingHookEmptiesTheFolder) {
    ovs::test::InPrivateFolder here;
    // Enough names to fill several directory reads: about 800 a read for glibc's readdir,
    // far fewer for FindFirstFile's buffer under Wine.
    const int count = 2500;
    for (int i = 0; i < count; ++i) {
        here.makeFile("Task" + std::to_string(100000 + i) + ".ovc", "[Task]\r\n");
    }
    here.makeFile("Other.ovc");
    here.makeFile("Task.txt");
    const FileScanSpec spec = specOf(here.folder().path(), false, {"Task*.ovc"});

    CountingScan counting(false);
    counting.configure(spec, 0, 0);
    counting.scan();
    EXPECT_EQ(std::size_t(count), counting.reports.size());
    for (const auto& [name, times] : counting.reports) {
        ASSERT_EQ(1, times) << name;
        ASSERT_EQ(0u, name.rfind("Task", 0)) << name;
        ASSERT_EQ(".ovc", name.substr(name.size() - 4)) << name;
    }

    std::filesystem::remove(here.folder().native() / "Other.ovc");
    std::filesystem::remove(here.folder().native() / "Task.txt");
    CountingScan deleting(true);
    deleting.configure(spec, 0, 0);
    deleting.scan();
    EXPECT_EQ(std::size_t(count), deleting.reports.size());
    EXPECT_EQ(0, deleting.failedDeletes);
    EXPECT_TRUE(std::filesystem::is_empty(here.folder().native()));
}

} // namespace
