// Task requests: the file's exact content, the id and name rules, the creation errors of a
// full task folder and of one others may write, and reading a request back.
#include "MessageNumbers.h"
#include "RequestTask.h"
#include "TaskTestFolder.h"
#include "platform/PlatformInfo.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <regex>

TEST(TaskRequest, FileHoldsHeaderTaskAndParametersInByteOrderWithValuesByKind) {
    TaskTestFolder folder;
    const ParameterMap parameters{{"o", OptionValue::path(ovs::FileString("C:\\out dir\\x.pdf"))},
                                  {"f", OptionValue::number(10)},
                                  {"cf", OptionValue::number(4294967295u)},
                                  {"k", OptionValue::text("LS")},
                                  {"ad", OptionValue()},
                                  {"Z", OptionValue::character('c')},
                                  {"perm", OptionValue::text("PRINT_LOW, COPY")}};
    const std::uint32_t id = RequestTask{ovs::FileString()}.submit(parameters); // the request ended before reading
    std::string name = "Task" + std::to_string(id) + ".ovc";
    EXPECT_EQ(taskText("State=Request\r\n", id) +
                  "[Parameter]\r\nZ=c\r\nad=1\r\ncf=4294967295\r\nf=10\r\nk=LS\r\no=C:\\out dir\\x.pdf\r\n"
                  "perm=PRINT_LOW, COPY\r\n",
              folder.read(name));
}

// A name taken when the folder is listed is skipped; one taken by another run before the
// request is published makes it draw again. No file is ever replaced; the request reads back as one.
TEST(TaskRequest, TakenNamesAreSkippedAndEachTaskGetsItsOwnFile) {
    TaskTestFolder folder;
    std::srand(4711);
    const std::vector<std::uint32_t> ids{RequestTask::drawTaskId(), RequestTask::drawTaskId(),
                                         RequestTask::drawTaskId()};
    ASSERT_TRUE(ids[0] != ids[1] && ids[1] != ids[2]);
    auto name = [&](int n) { return "Task" + std::to_string(ids[n]) + ".ovc"; };
    folder.write(name(0), "taken");
    std::srand(4711);
    RequestTask request{ovs::FileString()};
    ASSERT_EQ(ids[1], request.createTaskFile());
    std::vector<std::string> names = folder.names();
    names.erase(std::find(names.begin(), names.end(), name(0)));
    ASSERT_EQ(1u, names.size());
    EXPECT_TRUE(std::regex_match(
        names[0], std::regex(name(1) + "\\." + std::to_string(GetCurrentProcessId()) + "-\\d+\\.pending")))
        << names[0];
    folder.write(name(1), "taken too");
    EXPECT_EQ(ids[2], request.publish(ids[1]));
    EXPECT_EQ("taken", folder.read(name(0)));
    EXPECT_EQ("taken too", folder.read(name(1)));
    EXPECT_EQ(taskText("State=Request\r\n", ids[2]), folder.read(name(2)));
    EXPECT_EQ(TaskState::Request, RequestTask(ovs::FileString(folder.file(name(2)))).readState());
    // Beside the task file, while the request lives, the marker of the run that waits for it.
    const std::string marker = name(2) + "." + std::to_string(GetCurrentProcessId()) + ".waiting";
    std::vector<std::string> expected{name(0), name(1), name(2), marker};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, folder.names());
    EXPECT_EQ("", folder.read(marker));
}

// A line break would end the entry and start another one in the task file: the run ends with 3004 naming the option.
TEST(TaskRequest, AValueWithALineBreakIsRefusedBeforeAnythingIsWritten) {
    TaskTestFolder folder;
    for (const OptionValue& value :
         {OptionValue::text("out\nperm=EDIT_ANY,COPY,PRINT_HIGH"),
          OptionValue::path(ovs::FileString("C:\\out\rperm=COPY")), OptionValue::character('\n')}) {
        RequestTask request{ovs::FileString()};
        auto submit = [&] { request.submit({{"f", OptionValue::number(1)}, {"o", value}}); };
        const std::string message = expectError(submit, ovs::msg::LineBreakInValue, "o");
        EXPECT_EQ(" - The value of the option o contains a line break. It can not be passed in a task file.",
                  message.substr(message.find(" - ")));
        EXPECT_TRUE(folder.names().empty());
    }
}

TEST(TaskRequest, AFullFolderFailsAfter10001TestedNamesWithTheCreationError) {
    TaskTestFolder folder;
    for (int id = 0; id < 10000; ++id) {
        std::ofstream(folder.native("Task" + std::to_string(id) + ".ovc"));
    }
    std::srand(99);
    RequestTask request{ovs::FileString()};
    expectError([&] { request.submit(ParameterMap()); }, ovs::msg::FreeFatalError,
                "Couldn't create a Task file. If there are too much task files in the task folder, please use "
                "the  -clear option to delete finished task files.");
    // Exactly 10001 names were drawn, four numbers each.
    int next = std::rand();
    std::srand(99);
    for (int i = 0; i < 4 * 10001; ++i) {
        std::rand();
    }
    EXPECT_EQ(std::rand(), next);
}

// The results of a request without a State entry, without a document count and deleted; the
// open for reading of a task file, of one without a header and of one that is gone.
TEST(TaskRequest, ResultsOfMissingEntriesAndOfADeletedFile) {
    TaskTestFolder folder;
    folder.write("Task1.ovc", taskText(""));
    folder.write("Task2.ovc", "no header\r\n");
    RequestTask request{ovs::FileString(folder.file("Task1.ovc"))};
    EXPECT_TRUE(request.openForReading());
    expectError([&] { RequestTask(ovs::FileString(folder.file("Task2.ovc"))).openForReading(); },
                ovs::msg::RegistryNameNotFound);
    EXPECT_EQ(TaskState::Invalid, request.readState());
    expectError([&] { request.processedDocuments(); }, ovs::msg::ItemNotFound);
    std::filesystem::remove(folder.native("Task1.ovc"));
    EXPECT_FALSE(request.openForReading());
    EXPECT_EQ(TaskState::NotAccessible, request.readState());
    EXPECT_EQ(ovs::msg::TaskFileNotAccessible, request.processedDocuments());
    EXPECT_EQ(ovs::msg::TaskFileNotAccessible, request.lastError());
}

// A LastError that is no number is never read as 0, which would report the failed task as
// aborted and the run as a success: the poll fails with 3005 naming the file. A number with
// blanks around it is still that number, and 0 is a task that was aborted.
TEST(TaskRequest, ALastErrorThatIsNoNumberFailsThePoll) {
    TaskTestFolder folder;
    const std::string path = folder.file("Task1.ovc");
    for (const std::string text : {"abc", "", "4294967296", "0x10", "12abc", " 3505 ", "0"}) {
        SCOPED_TRACE(text);
        folder.write("Task1.ovc", taskText("State=Error\r\nLastError=" + text + "\r\n"));
        RequestTask request{ovs::FileString(path)};
        if (text == "0") {
            EXPECT_EQ(TaskState::Error, request.pollState());
        } else if (text == " 3505 ") {
            expectError([&] { request.pollState(); }, ovs::msg::EncryptionErrors, path.c_str());
        } else {
            const std::string message =
                expectError([&] { request.pollState(); }, ovs::msg::UnreadableResult, path.c_str());
            EXPECT_EQ(" - The result of the task could not be read: the plug-in's LastError in the task file is no "
                      "valid number.",
                      message.substr(message.find(" - ")));
        }
    }
}

// A task folder whose entries other users may swap (group or others may write it, and it has
// no sticky bit) is refused before anything is written, with the folder and the fix named.
TEST(TaskRequest, ATaskFolderOthersMaySwapEntriesInIsRefusedBeforeAnythingIsWritten) {
    if (!ovs::platform::isPosixSubstitute()) {
        GTEST_SKIP() << "permission bits are POSIX's; a Windows folder's access list decides there";
    }
    TaskTestFolder folder;
    const std::pair<int, bool> rows[] = {{0777, true}, {0775, true}, {01777, false}, {0750, false}};
    for (const auto& [permissions, refused] : rows) {
        SCOPED_TRACE(permissions);
        folder.empty();
        std::filesystem::permissions(folder.native(""), std::filesystem::perms(permissions));
        RequestTask request{ovs::FileString()};
        if (!refused) {
            request.submit(ParameterMap());
            EXPECT_EQ(2u, folder.names().size()); // the task file and the marker of the waiting run
            continue;
        }
        const std::string message =
            expectError([&] { request.submit(ParameterMap()); }, ovs::msg::UnsafeTaskFolder, folder.path().c_str());
        EXPECT_EQ(" - The task folder may be written by other users, who could swap its files. Let only its owner "
                  "write it (chmod go-w) or give it the sticky bit (chmod +t).",
                  message.substr(message.find(" - ")));
        EXPECT_TRUE(folder.names().empty());
    }
}
