// The clear mode's visitor and its scan binding, as the tool's run flow walks the task
// folder: which task files go, which stay.
#include "TaskTestFolder.h"
#include "files/FileScanSpec.h"
#include "MessageNumbers.h"
#include "ThisApp.h"
#include "runtime/Exception.h"

#include <gtest/gtest.h>

namespace {

void clearTaskFolder(std::uint32_t mode) {
    RunEnvironment().deleteTaskFiles(mode);
}

} // namespace

TEST(TaskDeleter, AllRemovesEveryTaskFileUnreadAndKeepsOtherFiles) {
    TaskTestFolder folder;
    folder.writeTask("Task1.ovc", "State=Request\r\n");
    folder.writeTask("Task2.ovc", "State=Error\r\nLastError=3505\r\n", "9.00");
    folder.write("Task3.ovc", "");
    folder.write("TaskNotes.ovc", "my own data");
    folder.write("TaskOther.ovc", "[ORVA-SYSTEMS Control File]\r\nGuid={00000000-0000-1100-8000-0000C06B5162}\r\n");
    folder.write("Notes.txt", "kept");
    clearTaskFolder(0);
    EXPECT_FALSE(folder.exists("Task1.ovc"));
    EXPECT_FALSE(folder.exists("Task2.ovc"));
    EXPECT_FALSE(folder.exists("Task3.ovc"));
    EXPECT_EQ("my own data", folder.read("TaskNotes.ovc"));
    EXPECT_TRUE(folder.exists("TaskOther.ovc"));
    EXPECT_TRUE(folder.exists("Notes.txt"));
}

TEST(TaskDeleter, FinishedRemovesOnlyFinishedTasks) {
    TaskTestFolder folder;
    folder.writeTask("Task1.ovc", "State=Finished\r\n");
    folder.writeTask("Task2.ovc", "State=Error\r\nLastError=3505\r\n");
    folder.writeTask("Task3.ovc", "State=Accepted\r\n");
    folder.writeTask("Task4.ovc", "State=finished\r\n");
    folder.writeTask("Task5.ovc", "State=Finished\r\nWholeNumberOfProcessedDocuments=2\r\n");
    clearTaskFolder(1);
    EXPECT_FALSE(folder.exists("Task1.ovc"));
    EXPECT_TRUE(folder.exists("Task2.ovc"));
    EXPECT_TRUE(folder.exists("Task3.ovc"));
    EXPECT_TRUE(folder.exists("Task4.ovc"));
    EXPECT_FALSE(folder.exists("Task5.ovc"));
}

TEST(TaskDeleter, FinishedKeepsFilesWithoutHeaderAndStopsAtADamagedOne) {
    TaskTestFolder folder;
    folder.write("Task1.ovc", "no header at all\r\n");
    folder.write("Task2.ovc", "");
    folder.writeTask("Task3.ovc", "State=Finished\r\n", "2.00");
    expectError([] { clearTaskFolder(1); }, ovs::msg::BadVersion);
    EXPECT_TRUE(folder.exists("Task1.ovc"));
    EXPECT_TRUE(folder.exists("Task2.ovc"));
    EXPECT_TRUE(folder.exists("Task3.ovc"));
}
