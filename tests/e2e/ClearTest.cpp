// The clear mode from command line to exit code on a task folder with mixed task files.
#include "EndToEnd.h"

namespace {

std::string taskFile(const std::string& taskEntries) {
    return "[ORVA-SYSTEMS Control File]\r\nGuid={00000000-0000-1100-8000-0000C06B5161}\r\n"
           "Description=ORVA Frask Pdf Task File\r\nVersion=1.00\r\nEncoding=UTF-8\r\n[Task]\r\nId=1\r\n" +
           taskEntries + "MajorVersion=21\r\nMinorVersion=2\r\n";
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
