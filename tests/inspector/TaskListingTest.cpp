// The task-folder inspector: what it makes of each kind of task file, its order, its JSON,
// that it only reads, and a folder that a running job is writing meanwhile.
#include "MessageNumbers.h"
#include "RequestTask.h"
#include "TaskListing.h"
#include "TaskTestFolder.h"
#include "platform/Win32.h"
#include "runtime/Messages.h"

#include <atomic>
#include <chrono>
#include <map>
#include <regex>
#include <set>
#include <thread>

namespace {

namespace fs = std::filesystem;

const std::string Header = taskHeader();

// Every file of the folder with its bytes and last write time.
std::map<std::string, std::pair<std::string, fs::file_time_type>> snapshot(const TaskTestFolder& folder) {
    std::map<std::string, std::pair<std::string, fs::file_time_type>> files;
    for (const std::string& name : folder.names()) {
        files[name] = {folder.read(name), fs::last_write_time(folder.native(name))};
    }
    return files;
}

} // namespace

TEST(TaskListing, EachKindOfTaskFileIsListedOldestFirstAndTheFolderStaysUntouched) {
    TaskTestFolder folder;
    struct Case {
        const char* name;
        std::string content;
        const char* state;
        std::int64_t documents;
        std::int32_t lastError;
        const char* lastErrorText;
    } const cases[] = {
        // clang-format off
        {"Task5.ovc", Header + "[Task]\r\nState=Error\r\nWholeNumberOfProcessedDocuments=2\r\nLastError=3505\r\n", "Error", 2, ovs::msg::EncryptionErrors, "There were errors while encrypting a document"},
        {"Task40.ovc", Header + "[Task]\r\nState=Request\r\n", "Request", -1, 0, ""},
        {"Task44.ovc", "", "empty", -1, 0, ""},
        {"Task41.ovc", Header + "[Task]\r\nState=Finished\r\nWholeNumberOfProcessedDocuments=3\r\n", "Finished", 3, 0, ""},
        {"Task42.ovc", Header + "[Task]\r\nState=accepted\r\n", "invalid", -1, 0, ""},
        {"Task43.ovc", Header + "[Task]\r\nState=Error\r\nLastError=3999\r\n", "Error", -1, 3999, ""},
        {"Task7.ovc", "not a task file", "damaged", -1, ovs::msg::RegistryNameNotFound, "\"ORVA-SYSTEMS Control File\" in registration not found"},
        {"Task8.ovc", "[ORVA-SYSTEMS Control File]\r\nGuid={00000000-0000-1100-8000-0000C06B5162}\r\n", "damaged", -1, ovs::msg::FileCorrupt, "file is corrupt (bad file type GUID)"},
        {"Task9.ovc", taskHeader("2.00"), "damaged", -1, ovs::msg::BadVersion, "file has bad version 200"},
    };
    // clang-format on
    const auto base = fs::file_time_type::clock::now() - std::chrono::hours(1);
    int age = 0;
    for (const Case& c : cases) {
        folder.write(c.name, c.content);
        fs::last_write_time(folder.native(c.name), base + std::chrono::minutes(age++));
    }
    folder.write("Other.ovc", Header); // not a task file name
    const auto before = snapshot(folder);

    std::vector<TaskListing> tasks = listTaskFolder(folder.path());

    ASSERT_EQ(std::size(cases), tasks.size());
    for (std::size_t n = 0; n < tasks.size(); ++n) {
        SCOPED_TRACE(cases[n].name);
        EXPECT_EQ(folder.file(cases[n].name), tasks[n].file);
        EXPECT_EQ(cases[n].state, tasks[n].state);
        EXPECT_EQ(cases[n].documents, tasks[n].documents);
        EXPECT_EQ(cases[n].lastError, tasks[n].lastError);
        if (cases[n].lastErrorText[0] != '\0' || cases[n].lastError == 0) {
            EXPECT_EQ(cases[n].lastErrorText, tasks[n].lastErrorText);
        }
    }
    EXPECT_EQ(before, snapshot(folder)); // nothing written, created (no lock or temporary file) or removed
    ovs::setMessagePrefix("OV");         // as the inspector's application sets it
    EXPECT_EQ("5  Error  1h 00m  2 documents  OV3505 There were errors while encrypting a document",
              listingLine(tasks[0], tasks[0].modified + 3600));
}

TEST(TaskListing, JsonCarriesParametersEscapedTimesInIso8601AndAges) {
    TaskTestFolder folder;
    folder.write("Task12.ovc", Header + "[Task]\r\nId=12\r\nState=Finished\r\nWholeNumberOfProcessedDocuments=1\r\n"
                                        "[Parameter]\r\ni=C:\\in\\\"a b\".pdf\r\no=C:\\out\r\nperm=\x01\tX\x1f\r\n");
    std::vector<TaskListing> tasks = listTaskFolder(folder.path());
    ASSERT_EQ(1u, tasks.size());
    tasks[0].modified = 1796520589; // fixed for the comparison
    const std::string escapedFile = std::regex_replace(folder.file("Task12.ovc"), std::regex("\\\\"), "\\\\");
    EXPECT_EQ("[\n{\"id\":\"12\",\"state\":\"Finished\",\"modified\":\"2026-12-06T01:29:49Z\",\"documents\":1,"
              "\"lastError\":0,\"lastErrorText\":\"\",\"parameters\":{\"i\":\"C:\\\\in\\\\\\\"a b\\\".pdf\","
              "\"o\":\"C:\\\\out\",\"perm\":\"\\u0001\\tX\\u001f\"},\"file\":\"" +
                  escapedFile + "\"}\n]\n",
              listingJson(tasks));
    EXPECT_EQ("[]\n", listingJson({}));
    EXPECT_EQ("\"\\\"\\\\\\b\\f\\n\\r\\u007f\"", jsonString("\"\\\b\f\n\r\x7f"));
    EXPECT_EQ("2000-02-29T23:59:59Z", isoTime(951868799));
    EXPECT_EQ("1969-12-31T23:59:59Z", isoTime(-1));
    // Ages read in their two largest units.
    for (const auto& [seconds, text] : std::vector<std::pair<std::int64_t, std::string>>{
             {-5, "0s"}, {59, "59s"}, {60, "1m 00s"}, {3599, "59m 59s"}, {3660, "1h 01m"}, {90000, "1d 01h"}}) {
        EXPECT_EQ(text, ageText(seconds)) << seconds;
    }
}

// The writes of a running job (the tool's request, entry by entry, then the plug-in's state
// changes) race with repeated listings; no listing may fail or show a state the job never wrote.
TEST(TaskListing, AFolderBeingWrittenByARunningJobIsListedEveryTime) {
    TaskTestFolder folder;
    std::atomic<bool> done{false};
    std::thread job([&] {
        for (int run = 0; run < 20; ++run) {
            RequestTask request{ovs::FileString()};
            std::uint32_t id = request.submit({{"i", OptionValue::path(ovs::FileString("C:\\in\\a.pdf"))}});
            std::string file = folder.file("Task" + std::to_string(id) + ".ovc");
            for (const char* state : {"Accepted", "Finished"}) {
                WritePrivateProfileStringA("Task", "WholeNumberOfProcessedDocuments", "1", file.c_str());
                WritePrivateProfileStringA("Task", "State", state, file.c_str());
            }
        }
        done = true;
    });
    // A request appears complete, under its name only once written. Natively every later write
    // replaces the file at once; Windows rewrites it in place, so a listing may catch a file
    // emptied or half written (damaged).
    const std::set<std::string> allowed =
        ovs::platform::isPosixSubstitute()
            ? std::set<std::string>{"Request", "Accepted", "Finished"}
            : std::set<std::string>{"Request", "Accepted", "Finished", "invalid", EmptyState, DamagedState};
    int listings = 0;
    while (!done || listings == 0) {
        for (const TaskListing& task : listTaskFolder(folder.path())) {
            EXPECT_EQ(1u, allowed.count(task.state)) << task.state << " " << task.lastErrorText;
        }
        ++listings;
    }
    job.join();
    std::vector<TaskListing> tasks = listTaskFolder(folder.path());
    EXPECT_EQ(20u, tasks.size());
    for (const TaskListing& task : tasks) {
        EXPECT_EQ("Finished", task.state);
        EXPECT_EQ(1, task.documents);
    }
}
