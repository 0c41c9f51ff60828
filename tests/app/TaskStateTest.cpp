// Reading a task file back: states, the plug-in's errors, integer results and bad headers.
#include "MessageNumbers.h"
#include "RequestTask.h"
#include "TaskTestFolder.h"

namespace msg = ovs::msg;

namespace {

// A request whose file is written by hand (as the plug-in leaves it) at the given name.
struct WrittenTask {
    WrittenTask(const TaskTestFolder& folder, const std::string& entries) : request(ovs::FileString()) {
        std::srand(5);
        id = request.submit(ParameterMap());
        name = "Task" + std::to_string(id) + ".ovc";
        folder.writeTask(name, entries);
    }
    RequestTask request;
    std::uint32_t id = 0;
    std::string name;
};

} // namespace

TEST(TaskState, PollStateFollowsTheFileAndUnknownStatesFail) {
    TaskTestFolder folder;
    struct Case {
        const char* entries;
        TaskState state;
    } const cases[] = {
        {"State=Request\r\n", TaskState::Request},
        {"State=Accepted\r\nWholeNumberOfProcessedDocuments=0\r\n", TaskState::Accepted},
        {"State=Finished\r\n", TaskState::Finished},
        {"State=Error\r\nLastError=0\r\n", TaskState::Error},
        {"State=accepted\r\n", TaskState::Invalid},
        {"State=finished\r\n", TaskState::Invalid},
        {"State=\r\n", TaskState::Invalid},
        {"", TaskState::Invalid},
        {"State=Done\r\n", TaskState::Invalid},
    };
    for (const Case& c : cases) {
        WrittenTask task(folder, c.entries);
        if (c.state != TaskState::Invalid) {
            EXPECT_EQ(c.state, task.request.pollState()) << c.entries;
            continue;
        }
        EXPECT_EQ(TaskState::Invalid, task.request.readState()) << c.entries;
        expectError([&] { task.request.pollState(); }, msg::FreeFatalError, "Unkown state in task request file");
    }
}

TEST(TaskState, ThePluginsErrorIsRaisedWithTheTaskFilesPath) {
    TaskTestFolder folder;
    WrittenTask task(folder, "State=Error\r\nLastError=3505\r\n");
    std::string message =
        expectError([&] { task.request.pollState(); }, msg::EncryptionErrors, folder.file(task.name).c_str());
    EXPECT_NE(std::string::npos, message.find("There were errors while encrypting a document"));
}

TEST(TaskState, ResultsOfDeletedFilesAndMissingEntries) {
    TaskTestFolder folder;
    WrittenTask task(folder, "State=Accepted\r\nWholeNumberOfProcessedDocuments=7\r\n");
    EXPECT_EQ(7, task.request.processedDocuments());
    std::filesystem::remove(folder.native(task.name));
    EXPECT_EQ(TaskState::NotAccessible, task.request.pollState());
    EXPECT_EQ(msg::TaskFileNotAccessible, task.request.processedDocuments());
    EXPECT_EQ(msg::TaskFileNotAccessible, task.request.lastError());
    WrittenTask finished(folder, "State=Finished\r\n");
    expectError([&] { finished.request.processedDocuments(); }, msg::ItemNotFound);
}

TEST(TaskState, AHeaderOfANewerVersionIsRejected) {
    TaskTestFolder folder;
    WrittenTask task(folder, "");
    folder.writeTask(task.name, "State=Finished\r\n", "2.00");
    try {
        task.request.readState();
        FAIL() << "no error raised";
    } catch (const ovs::FileException&) {
        FAIL() << "a bad header was taken for a missing file";
    } catch (const ovs::Exception& error) {
        EXPECT_EQ(msg::BadVersion, error.number());
    }
}

TEST(TaskState, ATaskOnAPathReadsThatFile) {
    TaskTestFolder folder;
    folder.writeTask("Task17.ovc", "State=Finished\r\nWholeNumberOfProcessedDocuments=3\r\n");
    Task task{ovs::FileString(folder.file("Task17.ovc"))};
    EXPECT_EQ(TaskState::Finished, task.readState());
    EXPECT_EQ(3, task.processedDocuments());
}
