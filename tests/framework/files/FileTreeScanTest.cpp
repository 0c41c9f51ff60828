// The directory walk: which files and folders it reports, in which order the hooks come, and
// hooks that delete what they are given.
#include "files/FileTreeScan.h"
#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <sstream>
#include <vector>

namespace {

using ovs::FileScanSpec;
using ovs::FileString;
using ovs::FileTreeScan;

// Records every hook call: "enter <folder> [sub,...]", "file <name> <n> <path>", "done <folder>",
// each followed by "|"; folders relative to the root given.
class RecordingScan : public FileTreeScan {
public:
    explicit RecordingScan(std::string root) : root_(std::move(root)) {}
    void folderEntered(const FileString& folder, const std::vector<FileString>& subFolders) override {
        calls += "enter " + relative(folder) + " [";
        for (const FileString& name : subFolders) {
            calls += name + ",";
        }
        calls += "]|";
        EXPECT_EQ(folder, path());
    }
    void fileFound(const FileString& name) override {
        calls += "file " + name + " " + std::to_string(filesInFolder()) + " " + relative(path()) + "|";
        files.push_back(name);
    }
    void folderDone() override { calls += "done " + relative(path()) + "|"; }

    std::string calls;
    std::vector<std::string> files;

private:
    std::string relative(const std::string& path) const {
        return path.compare(0, root_.size(), root_) == 0 ? "~" + path.substr(root_.size()) : path;
    }
    std::string root_;
};

// The patterns are separated by blanks.
FileScanSpec specOf(const std::string& folder, bool recursive, const std::string& patterns) {
    FileScanSpec spec;
    spec.setFolder(folder, recursive);
    std::istringstream words(patterns);
    for (std::string pattern; words >> pattern;) {
        spec.addPattern(pattern.c_str(), pattern.find_first_of("*?") != std::string::npos);
    }
    return spec;
}

struct WalkCase {
    const char* what;
    bool recursive;
    const char* patterns;
    std::uint32_t scanFlags, walkFlags;
    // The hook calls; nullptr: only the names found are compared, sorted.
    const char *calls, *files;
};

TEST(FileTreeScan, ReportsFilesAndFoldersInHookOrder) {
    const WalkCase cases[] = {
        {"non-recursive: start folder only, each file once", false, "a.txt *.txt", 0, 0,
         "enter ~ []|file a.txt 1 ~\\a.txt|file top.txt 2 ~\\top.txt|done ~|", nullptr},
        {"folder done before the sub-folders", true, "a.txt *.txt", 0, 0,
         "enter ~ [s1,s2,]|file a.txt 1 ~\\a.txt|file top.txt 2 ~\\top.txt|done ~|enter ~\\s1 [deep,]|"
         "file one.txt 1 ~\\s1\\one.txt|done ~\\s1|enter ~\\s1\\deep []|file two.txt 1 ~\\s1\\deep\\two.txt|"
         "done ~\\s1\\deep|enter ~\\s2 []|done ~\\s2|",
         nullptr},
        {"walk flag instead of spec: folder done after the sub-folders", false, "a.txt *.txt", 0x10, 0x100,
         "enter ~ [s1,s2,]|file a.txt 1 ~\\a.txt|file top.txt 2 ~\\top.txt|enter ~\\s1 [deep,]|"
         "file one.txt 1 ~\\s1\\one.txt|enter ~\\s1\\deep []|file two.txt 1 ~\\s1\\deep\\two.txt|done ~\\s1\\deep|"
         "done ~\\s1|enter ~\\s2 []|done ~\\s2|done ~|",
         nullptr},
        {"missing names only with flag 2 and without wildcards", false, "missing.txt missing*.txt a.txt A.TXT", 0x2, 0,
         nullptr, "a.txt missing.txt "},
        {"no missing names without flag 2", false, "missing.txt", 0, 0, nullptr, ""},
        {"no hidden files", true, "*.txt *.doc", 0, 0, nullptr, "a.txt c.doc one.txt top.txt two.txt "},
        {"hidden with flag 1", true, "*.txt", 0x1, 0, nullptr, ".hidden.txt a.txt inner.txt one.txt top.txt two.txt "},
        {"hidden with attribute flag 40", true, "*.txt", 0, 0x40, nullptr,
         ".hidden.txt a.txt inner.txt one.txt top.txt two.txt "},
    };
    ovs::test::InPrivateFolder here;
    for (const char* file : {"a.txt", "top.txt", "c.doc", "s1/one.txt", "s1/deep/two.txt"}) {
        here.makeFile(file);
    }
    here.makeFolder("s2");
    for (const WalkCase& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.calls == nullptr) {
            here.makeFile(".hidden.txt");
            here.makeFile(".secret/inner.txt");
        }
        RecordingScan scan(here.folder().path());
        scan.configure(specOf(here.folder().path(), c.recursive, c.patterns), c.scanFlags, c.walkFlags);
        scan.scan();
        if (c.calls != nullptr) {
            EXPECT_EQ(c.calls, scan.calls);
        } else {
            std::sort(scan.files.begin(), scan.files.end());
            EXPECT_EQ(c.files, std::accumulate(
                                   scan.files.begin(), scan.files.end(), std::string(),
                                   [](const std::string& all, const std::string& name) { return all + name + " "; }));
        }
    }
}

TEST(FileTreeScan, ConfigureCopiesTheSpecAndSetsTheFlags) {
    FileTreeScan scan;
    EXPECT_EQ(0u, scan.attributeFlags());
    scan.configure(specOf("C:\\x", true, "*.txt"), 0x1 | 0x10, 0x20);
    EXPECT_EQ((std::vector<std::uint32_t>{0x20 | 0x100, 0x20 | 0x40 | 0x80, 0x11, 1}),
              (std::vector<std::uint32_t>{scan.walkFlags(), scan.attributeFlags(), scan.scanFlags(),
                                          std::uint32_t(scan.spec().patterns().size())}));
    EXPECT_EQ("C:\\x\\", scan.path());
    scan.configure(specOf("C:\\y\\", false, ""), 0, 0);
    EXPECT_EQ("C:\\y\\", scan.path());
    EXPECT_EQ(0u, scan.walkFlags());
    EXPECT_EQ(0u, scan.attributeFlags());
}

TEST(FileTreeScan, UnlistableFoldersStillGetTheirHooksAndAnExceptionFromAHookEndsTheWalk) {
    ovs::test::InPrivateFolder here;
    RecordingScan missing(here.folder().path());
    missing.configure(specOf(here.folder() / "missing", true, "*"), 0, 0);
    missing.scan();
    EXPECT_EQ("enter ~\\missing []|done ~\\missing|", missing.calls);

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
    scan.configure(specOf(here.folder().path(), true, "*.txt"), 0, 0);
    EXPECT_THROW(scan.scan(), std::runtime_error);
    EXPECT_EQ("enter ~ [s,]|file a.txt 1 ~\\a.txt|", scan.calls);
}

// Counts the reports per name and deletes every file it is given.
class DeletingScan : public FileTreeScan {
public:
    void fileFound(const FileString& name) override {
        ++reports[name];
        if (!DeleteFileA(path().c_str())) {
            ++failedDeletes;
        }
    }
    std::map<std::string, int> reports;
    int failedDeletes = 0;
};

TEST(FileTreeScan, ThousandsOfTaskFilesAreEachReportedOnceToAHookThatDeletesThem) {
    ovs::test::InPrivateFolder here;
    // Enough names to fill several directory reads: about 800 a read for glibc's readdir,
    // far fewer for FindFirstFile's buffer under Wine.
    std::map<std::string, int> expected;
    for (int i = 0; i < 2500; ++i) {
        here.makeFile("Task" + std::to_string(100000 + i) + ".ovc", "[Task]\r\n");
        expected["Task" + std::to_string(100000 + i) + ".ovc"] = 1;
    }
    here.makeFile("Other.ovc");
    here.makeFile("Task.txt");
    DeletingScan scan;
    scan.configure(specOf(here.folder().path(), false, "Task*.ovc"), 0, 0);
    scan.scan();
    EXPECT_EQ(expected, scan.reports);
    EXPECT_EQ(0, scan.failedDeletes);
    EXPECT_TRUE(here.exists("Other.ovc") && here.exists("Task.txt"));
    EXPECT_EQ(2, std::distance(std::filesystem::directory_iterator(here.folder().native()),
                               std::filesystem::directory_iterator()));
}

} // namespace
