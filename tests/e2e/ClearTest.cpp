// The clear mode from command line to exit code on a task folder with mixed task files.
#include "EndToEnd.h"
#include "MessageNumbers.h"
#include "platform/PlatformInfo.h"

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>

namespace {

std::string taskFile(const std::string& taskEntries) {
    return "[ORVA-SYSTEMS Control File]\r\nGuid={00000000-0000-1100-8000-0000C06B5161}\r\n"
           "Description=ORVA Frask Pdf Task File\r\nVersion=1.00\r\nEncoding=UTF-8\r\n[Task]\r\nId=1\r\n" +
           taskEntries + "MajorVersion=21\r\nMinorVersion=2\r\n";
}

std::string contentOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST_F(EndToEnd, ClearFinishedRemovesOnlyFinishedTasksAndClearAllTheRest) {
    writeTaskFile("Task11.ovc", taskFile("State=Finished\r\nWholeNumberOfProcessedDocuments=1\r\n"));
    writeTaskFile("Task12.ovc", taskFile("State=Error\r\nLastError=3505\r\n"));
    writeTaskFile("Task13.ovc", taskFile("State=Request\r\n"));
    writeTaskFile("Notes.txt", "not a task file");

    ToolRun finished = runTool({"-clear:FINISHED"});
    ASSERT_EQ(4u, finished.lines.size()) << finished.output;
    EXPECT_EQ("Clearing old task files (FINISHED)", finished.lines[2]);
    EXPECT_EQ("Removed file " + taskFolder_ + "\\Task11.ovc", finished.lines[3]);
    EXPECT_EQ(0u, finished.exitCode);
    EXPECT_EQ((std::vector<std::string>{"Notes.txt", "Task12.ovc", "Task13.ovc"}), taskFiles());

    ToolRun all = runTool({"-clear:ALL"});
    ASSERT_EQ(5u, all.lines.size()) << all.output;
    EXPECT_EQ("Clearing old task files (ALL)", all.lines[2]);
    std::vector<std::string> removed{all.lines[3], all.lines[4]};
    std::sort(removed.begin(), removed.end());
    EXPECT_EQ("Removed file " + taskFolder_ + "\\Task12.ovc", removed[0]);
    EXPECT_EQ("Removed file " + taskFolder_ + "\\Task13.ovc", removed[1]);
    EXPECT_EQ(0u, all.exitCode);
    EXPECT_EQ(std::vector<std::string>{"Notes.txt"}, taskFiles());
}

// Without an application-data folder the task folder is the current one: only the tool's own
// task files go there, a user's file of a task file's name stays.
TEST_F(EndToEnd, ClearWithoutApplicationDataFolderTouchesOnlyTaskFilesOfTheCurrentFolder) {
    if (!ovs::platform::isPosixSubstitute()) {
        GTEST_SKIP() << "Windows always has an application-data folder";
    }
    std::ofstream(native("Task1.ovc"), std::ios::binary) << "my own data";
    std::ofstream(native("Task2.ovc"), std::ios::binary) << taskFile("State=Finished\r\n");
    std::ofstream(native("Task3.ovc"), std::ios::binary) << "";
    const std::vector<std::pair<std::string, std::string>> noFolder = {{"XDG_CONFIG_HOME", ""}, {"HOME", ""}};
    ToolRun finished = runTool({"-clear:FINISHED"}, noFolder);
    EXPECT_EQ((std::vector<std::string>{"Clearing old task files (FINISHED)", "Removed file Task2.ovc"}),
              std::vector<std::string>(finished.lines.begin() + 2, finished.lines.end()))
        << finished.output;
    EXPECT_EQ(0u, finished.exitCode);
    ToolRun all = runTool({"-clear:ALL"}, noFolder);
    EXPECT_EQ("Removed file Task3.ovc", all.lines.back()) << all.output;
    EXPECT_EQ(0u, all.exitCode);
    EXPECT_FALSE(std::filesystem::exists(native("Task3.ovc")));
    EXPECT_EQ("my own data", contentOf(native("Task1.ovc")));
}

// A task file that cannot be removed fails the run with the access error, after the others went.
TEST_F(EndToEnd, ClearThatCannotRemoveATaskFileReportsAccessDeniedAndFails) {
    writeTaskFile("Task1.ovc", taskFile("State=Finished\r\n"));
    writeTaskFile("Task2.ovc", taskFile("State=Finished\r\n"));
    std::filesystem::permissions(taskFilePath("Task1.ovc"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    ToolRun run = runTool({"-clear:FINISHED"});
    const std::string locked = taskFolder_ + "\\Task1.ovc";
    ASSERT_EQ(7u, run.lines.size()) << run.output;
    EXPECT_EQ((std::vector<std::string>{"Couldn't remove file " + locked, "Removed file " + taskFolder_ + "\\Task2.ovc", ""}),
              std::vector<std::string>(run.lines.begin() + 3, run.lines.begin() + 6));
    EXPECT_TRUE(std::regex_search(run.lines[6], std::regex("^FraskPdfCmd: fatal error OV1013 - access to .*Task1\\.ovc\"? denied\\.")))
        << run.lines[6];
    EXPECT_EQ(seenExitCode(ovs::msg::AccessDenied), run.exitCode);
    EXPECT_EQ(std::vector<std::string>{"Task1.ovc"}, taskFiles());
    std::filesystem::permissions(taskFilePath("Task1.ovc"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}

TEST_F(EndToEnd, ClearAllEmptiesAFolderOfTenThousandTaskFiles) {
    const int count = 10000;
    for (int i = 0; i < count; ++i) {
        writeTaskFile("Task" + std::to_string(i) + ".ovc", taskFile("State=Request\r\n"));
    }
    ToolRun run = runTool({"-clear:ALL"});
    EXPECT_EQ(0u, run.exitCode);
    ASSERT_EQ(std::size_t(count) + 3, run.lines.size());
    EXPECT_EQ(std::size_t(count), std::size_t(std::count_if(run.lines.begin(), run.lines.end(), [](const std::string& line) {
                  return line.rfind("Removed file ", 0) == 0;
              })));
    EXPECT_TRUE(taskFiles().empty());
}
