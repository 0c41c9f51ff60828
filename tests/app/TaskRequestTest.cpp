// Creating task requests: the file's exact content, the id and name rules, and the
// creation error of a full task folder.
#include "MessageNumbers.h"
#include "RequestTask.h"
#include "TaskTestFolder.h"

#include <gtest/gtest.h>
#include <cstdlib>

namespace {

const std::string Header = "[ORVA-SYSTEMS Control File]\r\nGuid={00000000-0000-1100-8000-0000C06B5161}\r\n"
                           "Description=ORVA Frask Pdf Task File\r\nVersion=1.00\r\nEncoding=UTF-8\r\n";

std::string taskSection(std::uint32_t id) {
    return "[Task]\r\nId=" + std::to_string(id) + "\r\nState=Request\r\nMajorVersion=21\r\nMinorVersion=2\r\n";
}

// The ids the generator gives after srand(seed), in order.
std::vector<std::uint32_t> idsAfterSeed(unsigned seed, std::size_t count) {
    std::srand(seed);
    std::vector<std::uint32_t> ids;
    for (std::size_t i = 0; i < count; ++i) {
        ids.push_back(RequestTask::drawTaskId());
    }
    return ids;
}

} // namespace

TEST(TaskRequest, IdStaysBelowTenThousand) {
    for (unsigned seed : {1u, 2u, 99u, 0xdeadbeefu}) {
        std::srand(seed);
        for (int i = 0; i < 100; ++i) {
            EXPECT_LT(RequestTask::drawTaskId(), 10000u);
        }
    }
}

TEST(TaskRequest, FileHoldsHeaderTaskAndParametersInByteOrderWithValuesByKind) {
    TaskTestFolder folder;
    ParameterMap parameters;
    parameters["o"] = OptionValue::path(ovs::FileString("C:\\out dir\\x.pdf"));
    parameters["f"] = OptionValue::number(10);
    parameters["cf"] = OptionValue::number(4294967295u);
    parameters["k"] = OptionValue::text("LS");
    parameters["ad"] = OptionValue();
    parameters["Z"] = OptionValue::character('c');
    parameters["perm"] = OptionValue::text("PRINT_LOW, COPY");
    std::uint32_t expectedId = idsAfterSeed(77, 1)[0];
    std::srand(77);
    std::uint32_t id = 0;
    {
        RequestTask request{ovs::FileString()};
        id = request.submit(parameters);
    }
    ASSERT_EQ(expectedId, id);
    std::string name = "Task" + std::to_string(id) + ".ovc";
    EXPECT_EQ(Header + taskSection(id) +
                  "[Parameter]\r\nZ=c\r\nad=1\r\ncf=4294967295\r\nf=10\r\nk=LS\r\no=C:\\out dir\\x.pdf\r\n"
                  "perm=PRINT_LOW, COPY\r\n",
              folder.read(name));
}

TEST(TaskRequest, TakenNamesAreSkippedAndEachTaskGetsItsOwnFile) {
    TaskTestFolder folder;
    std::vector<std::uint32_t> ids = idsAfterSeed(4711, 4);
    ASSERT_NE(ids[0], ids[1]);
    folder.write("Task" + std::to_string(ids[0]) + ".ovc", "taken");
    std::srand(4711);
    RequestTask first{ovs::FileString()};
    EXPECT_EQ(ids[1], first.submit(ParameterMap()));
    RequestTask second{ovs::FileString()};
    EXPECT_EQ(ids[2], second.submit(ParameterMap()));
    EXPECT_EQ("taken", folder.read("Task" + std::to_string(ids[0]) + ".ovc"));
    EXPECT_EQ(Header + taskSection(ids[2]), folder.read("Task" + std::to_string(ids[2]) + ".ovc"));
}

TEST(TaskRequest, ANameTakenBeforePublishingDrawsAgainAndNoFileIsEverReplaced) {
    TaskTestFolder folder;
    std::vector<std::uint32_t> ids = idsAfterSeed(4711, 2);
    std::srand(4711);
    RequestTask request{ovs::FileString()};
    ASSERT_EQ(ids[0], request.createTaskFile());
    EXPECT_TRUE(folder.names().size() == 1 && folder.names()[0].rfind("Task" + std::to_string(ids[0]) + ".ovc.", 0) == 0 &&
                folder.names()[0].find(".pending") != std::string::npos)
        << folder.names()[0];
    // Another run publishes the same id meanwhile.
    folder.write("Task" + std::to_string(ids[0]) + ".ovc", "taken");
    EXPECT_EQ(ids[1], request.publish(ids[0]));
    EXPECT_EQ("taken", folder.read("Task" + std::to_string(ids[0]) + ".ovc"));
    EXPECT_EQ(Header + taskSection(ids[1]), folder.read("Task" + std::to_string(ids[1]) + ".ovc"));
    EXPECT_EQ(2u, folder.names().size());
}

// A line break would end the entry and start another one in the task file.
TEST(TaskRequest, AValueWithALineBreakIsRefusedBeforeAnythingIsWritten) {
    TaskTestFolder folder;
    for (const OptionValue& value : {OptionValue::text("out\nperm=EDIT_ANY,COPY,PRINT_HIGH"),
                                     OptionValue::path(ovs::FileString("C:\\out\rperm=COPY")),
                                     OptionValue::character('\n')}) {
        RequestTask request{ovs::FileString()};
        std::string message = expectError([&] { request.submit({{"f", OptionValue::number(1)}, {"o", value}}); },
                                          3004, "o");
        EXPECT_NE(std::string::npos,
                  // "OV" stands before the number only once an application object has set it up.
                  message.find("3004 - The value of the option o contains a line break. It can not be passed "
                               "in a task file."))
            << message;
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

TEST(TaskRequest, WithoutApplicationDataTheFileGoesToTheCurrentFolder) {
    if (!ovs::platform::isPosixSubstitute()) {
        GTEST_SKIP() << "only the substitute can be left without an application-data folder";
    }
    ovs::test::TempFolder current;
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(current.path().c_str()));
    std::string xdg = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    ovs::platform::setEnvironmentVariable("XDG_CONFIG_HOME", "");
    ovs::platform::setEnvironmentVariable("HOME", "");
    EXPECT_EQ("", std::string(Task::taskFolder()));
    std::uint32_t id = 0;
    {
        RequestTask request{ovs::FileString()};
        id = request.submit(ParameterMap());
    }
    ovs::platform::setEnvironmentVariable("XDG_CONFIG_HOME", xdg);
    ovs::platform::setEnvironmentVariable("HOME", home);
    SetCurrentDirectoryA(previous);
    EXPECT_TRUE(std::filesystem::exists(current.native() / ("Task" + std::to_string(id) + ".ovc")));
}
