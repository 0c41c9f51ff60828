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
#include <tuple>

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

// One entry of each kind the table and the JSON show differently, with fixed times.
std::vector<TaskListing> sampleListing(std::int64_t now) {
    using Kind = TaskListing::Kind;
    // clang-format off
    return {
        // kind, file, id, state, hasStateText, stateText, modified, documents, lastError, lastErrorText, readError,
        // readErrorText, writer, writerRunning, parameters
        {Kind::Task, "C:\\t\\Task4711.ovc", "4711", "Error", true, "Error", now - 7500, 1, 3505,
         "There were errors while encrypting a document", 0, "", 0, false, {{"i", "C:\\docs\\*.pdf"}, {"o", "C:\\out"}}},
        {Kind::Task, "C:\\t\\Task12.ovc", "12", "Request", true, "Request", now - 35, -1, 0, "", 0, "", 0, false,
         {{"i", "C:\\in\\a.pdf"}, {"readpermissions", ""}}},
        {Kind::Task, "C:\\t\\Task5.ovc", "5", "invalid", true, "acc\x1b]0;owned\x07", now - 60, -1, 0, "", 0, "", 0, false,
         {{"perm", "\x1b[2J"}}},
        {Kind::Task, "C:\\t\\Task7.ovc", "7", "damaged", false, "", TaskListing::UnknownTime, -1, 0, "", 1004,
         "cannot open file C:\\t\\Task7.ovc", 0, false, {}},
        {Kind::Pending, "C:\\t\\Task9.ovc.4242-0.pending", "9", "Request", true, "Request", now, -1, 0, "", 0, "", 4242, false,
         {{"i", "C:\\b.pdf"}, {"o", "C:\\out"}}},
        {Kind::Temporary, "C:\\t\\.Task9.ovc.~4242-0.tmp", "9", "", false, "", now - 90000, -1, 0, "", 0, "", 4242, true, {}},
    };
    // clang-format on
}

} // namespace

TEST(TaskListing, EachKindOfEntryIsListedOldestFirstAndTheFolderStaysUntouched) {
    TaskTestFolder folder;
    const std::string self = std::to_string(GetCurrentProcessId());
    // No process has this id: Linux and Windows ids stay far below it.
    const std::string ended = "4000000000";
    using Kind = TaskListing::Kind;
    struct Case {
        std::string name;
        std::string content;
        Kind kind;
        const char* state;
        const char* stateText; // null: no State entry was read
        std::int64_t documents;
        std::int32_t lastError;
        std::int32_t readError;
        const char* readErrorText;
        std::uint32_t writer;
        bool writerRunning;
    } const cases[] = {
        // clang-format off
        {"Task5.ovc", Header + "[Task]\r\nState=Error\r\nWholeNumberOfProcessedDocuments=2\r\nLastError=3505\r\n", Kind::Task, "Error", "Error", 2, ovs::msg::EncryptionErrors, 0, "", 0, false},
        {"Task40.ovc", Header + "[Task]\r\nState=Request\r\n", Kind::Task, "Request", "Request", -1, 0, 0, "", 0, false},
        {"Task44.ovc", "", Kind::Task, "empty", nullptr, -1, 0, 0, "", 0, false},
        {"Task41.ovc", Header + "[Task]\r\nState=Finished\r\nWholeNumberOfProcessedDocuments=3\r\n", Kind::Task, "Finished", "Finished", 3, 0, 0, "", 0, false},
        {"Task42.ovc", Header + "[Task]\r\nState=accepted\r\n", Kind::Task, "invalid", "accepted", -1, 0, 0, "", 0, false},
        {"Task45.ovc", Header + "[Task]\r\nId=45\r\n", Kind::Task, "invalid", nullptr, -1, 0, 0, "", 0, false},
        {"Task43.ovc", Header + "[Task]\r\nState=Error\r\nLastError=3999\r\n", Kind::Task, "Error", "Error", -1, 3999, 0, "", 0, false},
        {"Task7.ovc", "not a task file", Kind::Task, "damaged", nullptr, -1, 0, ovs::msg::RegistryNameNotFound, "\"ORVA-SYSTEMS Control File\" in registration not found", 0, false},
        {"Task8.ovc", "[ORVA-SYSTEMS Control File]\r\nGuid={00000000-0000-1100-8000-0000C06B5162}\r\n", Kind::Task, "damaged", nullptr, -1, 0, ovs::msg::FileCorrupt, "file is corrupt (bad file type GUID)", 0, false},
        {"Task9.ovc", taskHeader("2.00"), Kind::Task, "damaged", nullptr, -1, 0, ovs::msg::BadVersion, "file has bad version 200", 0, false},
        // A request its run is still writing, and one whose run has ended before publishing it.
        {"Task46.ovc." + self + "-0.pending", Header + "[Task]\r\nState=Request\r\n[Parameter]\r\ni=C:\\a.pdf\r\n", Kind::Pending, "Request", "Request", -1, 0, 0, "", GetCurrentProcessId(), true},
        {"Task47.ovc." + ended + "-1.pending", Header + "[Task]\r\nState=Request\r\n", Kind::Pending, "Request", "Request", -1, 0, 0, "", 4000000000u, false},
        // A writer's temporary copy, left behind when it ended: its content is not read.
        {".Task48.ovc.~" + ended + "-0.tmp", "[Task", Kind::Temporary, "", nullptr, -1, 0, 0, "", 4000000000u, false},
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
        const Case& c = cases[n];
        SCOPED_TRACE(c.name);
        const std::size_t idAt = c.name[0] == '.' ? 5 : 4;
        const TaskListing& t = tasks[n];
        // file, id, kind, state, whether and which State text was read, documents, the two errors, the writer.
        EXPECT_EQ(std::make_tuple(folder.file(c.name), c.name.substr(idAt, c.name.find(".ovc") - idAt), c.kind,
                                  std::string(c.state), c.stateText != nullptr,
                                  std::string(c.stateText ? c.stateText : ""), c.documents, c.lastError, c.readError,
                                  std::string(c.readErrorText), c.writer, c.writerRunning),
                  std::tie(t.file, t.id, t.kind, t.state, t.hasStateText, t.stateText, t.documents, t.lastError,
                           t.readError, t.readErrorText, t.writer, t.writerRunning));
        EXPECT_NE(TaskListing::UnknownTime, t.modified);
    }
    EXPECT_EQ(before, snapshot(folder)); // nothing written, created (no lock or temporary file) or removed
    // A file that cannot be opened has no time either.
    TaskListing gone = readTaskListing(folder.file("Task99.ovc"));
    EXPECT_EQ(DamagedState, gone.state);
    EXPECT_EQ(TaskListing::UnknownTime, gone.modified);
    EXPECT_NE(0, gone.readError);
}

// The table aligns its columns under a header row and escapes control characters; the JSON
// carries stable names, null for the unknown and the parameters escaped.
TEST(TaskListing, TheTableAndTheJsonOfOneSampleListing) {
    ovs::setMessagePrefix("OV"); // as the inspector's application sets it
    const std::int64_t now = 1796520589;
    // clang-format off
    EXPECT_EQ(
        "ID    STATE                            AGE      DOCUMENTS  TYPE              ERROR                                                 INPUT -> OUTPUT\n"
        "4711  Error                            2h 05m           1  protection        OV3505 There were errors while encrypting a document  C:\\docs\\*.pdf -> C:\\out\n"
        "12    Request                          35s                 permission check                                                        C:\\in\\a.pdf\n"
        "5     invalid: acc\\x1b]0;owned\\x07     1m 00s              protection\n"
        "7     damaged                          unknown                               OV1004 cannot open file C:\\t\\Task7.ovc\n"
        "9     pending (writer 4242 ended)      0s                  protection                                                              C:\\b.pdf -> C:\\out\n"
        "9     temporary (writer 4242 running)  1d 01h\n",
        listingTable(sampleListing(now), now));
    // clang-format on
    EXPECT_EQ("", listingTable({}, now));
    // The entries' kinds: t a task file, p a pending request, m a temporary file.
    const std::pair<std::string, const char*> titles[] = {
        {"", "no task files"},
        {"t", "1 task file"},
        {"ttp", "2 task files, 1 pending request"},
        {"ppm", "no task files, 2 pending requests, 1 temporary file"},
        {"mm", "no task files, 2 temporary files"},
    };
    for (const auto& [kinds, title] : titles) {
        std::vector<TaskListing> tasks(kinds.size());
        for (std::size_t n = 0; n < tasks.size(); ++n) {
            tasks[n].kind = kinds[n] == 't'   ? TaskListing::Kind::Task
                            : kinds[n] == 'p' ? TaskListing::Kind::Pending
                                              : TaskListing::Kind::Temporary;
        }
        EXPECT_EQ("Task folder /t\\x1b: " + std::string(title), listingTitle("/t\x1b", tasks));
    }
    // clang-format off
    EXPECT_EQ(
        "[\n"
        "{\"id\":\"4711\",\"kind\":\"task\",\"file\":\"C:\\\\t\\\\Task4711.ovc\",\"state\":\"Error\",\"stateText\":\"Error\",\"type\":\"protect\",\"modified\":\"2026-12-05T23:24:49Z\",\"documents\":1,\"lastError\":3505,\"lastErrorText\":\"There were errors while encrypting a document\",\"readError\":null,\"writer\":null,\"parameters\":{\"i\":\"C:\\\\docs\\\\*.pdf\",\"o\":\"C:\\\\out\"}},\n"
        "{\"id\":\"12\",\"kind\":\"task\",\"file\":\"C:\\\\t\\\\Task12.ovc\",\"state\":\"Request\",\"stateText\":\"Request\",\"type\":\"readpermissions\",\"modified\":\"2026-12-06T01:29:14Z\",\"documents\":null,\"lastError\":null,\"lastErrorText\":null,\"readError\":null,\"writer\":null,\"parameters\":{\"i\":\"C:\\\\in\\\\a.pdf\",\"readpermissions\":\"\"}},\n"
        "{\"id\":\"5\",\"kind\":\"task\",\"file\":\"C:\\\\t\\\\Task5.ovc\",\"state\":\"invalid\",\"stateText\":\"acc\\u001b]0;owned\\u0007\",\"type\":\"protect\",\"modified\":\"2026-12-06T01:28:49Z\",\"documents\":null,\"lastError\":null,\"lastErrorText\":null,\"readError\":null,\"writer\":null,\"parameters\":{\"perm\":\"\\u001b[2J\"}},\n"
        "{\"id\":\"7\",\"kind\":\"task\",\"file\":\"C:\\\\t\\\\Task7.ovc\",\"state\":\"damaged\",\"stateText\":null,\"type\":null,\"modified\":null,\"documents\":null,\"lastError\":null,\"lastErrorText\":null,\"readError\":{\"number\":1004,\"text\":\"cannot open file C:\\\\t\\\\Task7.ovc\"},\"writer\":null,\"parameters\":null},\n"
        "{\"id\":\"9\",\"kind\":\"pending\",\"file\":\"C:\\\\t\\\\Task9.ovc.4242-0.pending\",\"state\":\"Request\",\"stateText\":\"Request\",\"type\":\"protect\",\"modified\":\"2026-12-06T01:29:49Z\",\"documents\":null,\"lastError\":null,\"lastErrorText\":null,\"readError\":null,\"writer\":{\"process\":4242,\"running\":false},\"parameters\":{\"i\":\"C:\\\\b.pdf\",\"o\":\"C:\\\\out\"}},\n"
        "{\"id\":\"9\",\"kind\":\"temporary\",\"file\":\"C:\\\\t\\\\.Task9.ovc.~4242-0.tmp\",\"state\":null,\"stateText\":null,\"type\":null,\"modified\":\"2026-12-05T00:29:49Z\",\"documents\":null,\"lastError\":null,\"lastErrorText\":null,\"readError\":null,\"writer\":{\"process\":4242,\"running\":true},\"parameters\":null}\n"
        "]\n",
        listingJson(sampleListing(now)));
    // clang-format on
    EXPECT_EQ("[]\n", listingJson({}));
    EXPECT_EQ("\"\\\"\\\\\\b\\f\\n\\r\\u007f\"", jsonString("\"\\\b\f\n\r\x7f"));
    EXPECT_EQ("2000-02-29T23:59:59Z", isoTime(951868799));
    EXPECT_EQ("1969-12-31T23:59:59Z", isoTime(-1));
    // Ages read in their two largest units.
    for (const auto& [seconds, text] : std::vector<std::pair<std::int64_t, std::string>>{
             {-5, "0s"}, {59, "59s"}, {60, "1m 00s"}, {3599, "59m 59s"}, {3660, "1h 01m"}, {90000, "1d 01h"}}) {
        EXPECT_EQ(text, ageText(seconds)) << seconds;
    }
    EXPECT_EQ("a\\x00b\\x1f\\x7f\\x1b[2J\xe9", printable(std::string("a\0b\x1f\x7f\x1b[2J\xe9", 10)));
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
    // emptied or half written (damaged). Before that, it is a pending request, caught at any
    // point of its writing, and the writes natively go through a writer's temporary file.
    const std::set<std::string> allowed =
        ovs::platform::isPosixSubstitute()
            ? std::set<std::string>{"Request", "Accepted", "Finished"}
            : std::set<std::string>{"Request", "Accepted", "Finished", "invalid", EmptyState, DamagedState};
    const std::set<std::string> allowedPending = {"Request", "invalid", EmptyState, DamagedState};
    int listings = 0;
    while (!done || listings == 0) {
        for (const TaskListing& task : listTaskFolder(folder.path())) {
            if (task.kind == TaskListing::Kind::Task) {
                EXPECT_EQ(1u, allowed.count(task.state)) << task.state << " " << task.readErrorText;
            } else if (task.kind == TaskListing::Kind::Pending) {
                EXPECT_EQ(1u, allowedPending.count(task.state)) << task.state << " " << task.readErrorText;
            }
            if (task.kind != TaskListing::Kind::Task) {
                EXPECT_EQ(GetCurrentProcessId(), task.writer) << task.file;
            }
        }
        ++listings;
    }
    job.join();
    std::vector<TaskListing> tasks = listTaskFolder(folder.path());
    EXPECT_EQ(20u, tasks.size()); // nothing pending or temporary is left
    for (const TaskListing& task : tasks) {
        EXPECT_EQ(TaskListing::Kind::Task, task.kind);
        EXPECT_EQ("Finished", task.state);
        EXPECT_EQ(1, task.documents);
    }
}
