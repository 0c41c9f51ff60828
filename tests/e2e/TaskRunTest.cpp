// Task runs from command line to exit code against the running stand-in: finished, aborted,
// refused by the plug-in, Acrobat gone, spoiled, many at once beside clears. Acrobat started
// and restarted by the tool is Wow64Test's. How the tool waits for a task that is never accepted, and a request
// whose write or move fails, are proven in-process (ThisAppRun), the value with a line break by
// TaskRequest.
#include "EndToEnd.h"
#include "MessageNumbers.h"
#include "TestPrograms.h"
#include "platform/PlatformInfo.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <regex>
#include <set>
#include <thread>

namespace fs = std::filesystem;

namespace {

// The id printed on the line that announces the task; -1 when there is none.
long announcedId(const ToolRun& run, const std::string& announcement) {
    std::smatch id;
    return std::regex_search(run.output, id, std::regex("\n" + announcement + "(\\d+)\n")) ? std::stol(id[1]) : -1;
}

const std::string TaskAnnouncement = "Created a task for FraskPdf: Task Id ";

// A task file that cannot be opened while the tool waits: its state is unknown.
const char* const UnknownState = "^FraskPdfCmd: fatal error - Unkown state\\. \\(Unkown state\\)$";
const char* const NoHeader = "^FraskPdfCmd, .*\\\\Task\\d+\\.ovc: fatal error OV1144 - ";

} // namespace

// The stand-in's behaviour decides the run, of a task (on a document in a folder whose name
// holds a blank) or of a permission check: the last line (a regular expression searched for), the
// exit code and what the task file left behind holds. The waiting line's marks are proven in-process (ThisAppRun).
// Without an application-data folder the request goes to the current folder and is read back
// from there. The task file made unreadable is met by an ordinary user, whom it stops; a qpdf that
// encrypts without the restrictions asked for makes the stand-in's read-back check fail.
TEST_F(EndToEnd, ThePluginsVerdictBecomesTheOutcome) {
    enum Line { Encrypt, Wildcard, Check, CurrentFolder };
    const std::string input = work("in dir\\invoice.pdf");
    struct Case {
        const char* behaviour;
        Line line;
        const char* lastLine;
        std::uint32_t exitCode;
        std::string taskFileHolds = "";
        std::size_t filesLeft = 1;
        bool posixOnly = false; // no application-data folder, an ordinary user and qpdf are POSIX's
    } const cases[] = {
        // clang-format off
        {"process", Encrypt, "^Task finished at ", 0,
         "\r\nState=Finished\r\nMajorVersion=21\r\nMinorVersion=2\r\nWholeNumberOfProcessedDocuments=1\r\n[Parameter]\r\n"
         "f=10\r\ni=" + input + "\r\nk=QL\r\no=" + work("out.pdf") + "\r\np=13\r\nperm=PRINT_LOW,COPY\r\n"},
        {"process", Check, "^Task finished at ", 0, "[Parameter]\r\ni=" + input + "\r\nreadpermissions=1\r\n"},
        {"fail:3510", Check, "^FraskPdfCmd: error OV3510 - The permissions of the checked documents do not "
         "allow to encrypt them with Veilgard PDF", ovs::msg::PermissionsForbid},
        {"finish", CurrentFolder, "^Task finished at ", 0, "", 0, true},
        {"abort", Encrypt, "^Task aborted at ", 0},
        {"fail:3505", Encrypt, "^FraskPdfCmd: error OV3505 - There were errors while encrypting a document", ovs::msg::EncryptionErrors},
        {"fail:2147483648", Encrypt, "^FraskPdfCmd: fatal error OV-2147483648 - ", 2147483648u},
        {"process", Wildcard,
         "^FraskPdfCmd: error OV3503 - The output specification is not a folder\\. This is necessary if the input "
         "file contains wildcards",
         ovs::msg::OutputNotFolder},
        {"invalid-state:accepted", Encrypt, "^FraskPdfCmd: fatal error - Unkown state in task request file", ovs::msg::FreeFatalError},
        {"header-version-2", Encrypt, "\\.ovc: fatal error OV1114 - file has bad version 200\\.", ovs::msg::BadVersion},
        {"exit-while-accepted", Encrypt,
         "^FraskPdfCmd: error OV3000 - FraskPdfCmd needs a running Adobe Acrobat with installed ORVA-SYSTEMS "
         "Veilgard PDF",
         ovs::msg::AcrobatNotRunning},
        // The task file spoiled while the tool waits: the error names the file.
        {"spoil:delete", Encrypt, UnknownState, ovs::msg::FreeFatalError, "", 0},
        {"spoil:truncate", Encrypt, NoHeader, 1144},
        {"spoil:garbage", Encrypt, NoHeader, 1144},
        {"spoil:unreadable", Encrypt, UnknownState, ovs::msg::FreeFatalError, "", 1, true},
        {"process", Encrypt, "^FraskPdfCmd: error OV3505 - ", ovs::msg::EncryptionErrors, "", 1, true},
    };
    // clang-format on
    std::ofstream(native("qpdf")) << "#!/bin/sh\n[ \"$1\" = --encrypt ] && exec qpdf --encrypt \"\" veilgard 256 "
                                     "-- \"$(eval echo \\${$(($#-1))})\" \"$(eval echo \\${$#})\"\nexec qpdf \"$@\"\n";
    fs::permissions(native("qpdf"), fs::perms::owner_all);
    fs::create_directories(native("in dir"));
    fs::copy_file(ovs::platform::nativePathOf(ovs::test::sourcePath("tools/demo/docs/invoice.pdf")),
                  native("in dir\\invoice.pdf"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.behaviour);
        if (c.posixOnly && !ovs::platform::isPosixSubstitute()) {
            continue;
        }
        tasks_.empty(); // a task left in Request would be taken up by the next stand-in
        bool unreadable = c.behaviour == std::string("spoil:unreadable");
        ovs::platform::setEnvironmentVariable("OVS_ACROBAT_QPDF",
                                              c.posixOnly && c.behaviour == std::string("process") ? work("qpdf") : "");
        ovs::platform::setEnvironmentVariable("OVS_ACROBAT_TASK_FOLDER",
                                              c.line == CurrentFolder ? tasks_.temp().path() : "");
        startStandIn(c.behaviour);
        if (unreadable) {
            // The ordinary user writes the request; the sticky bit keeps the folder one whose
            // entries only their owners may rename or remove.
            fs::permissions(tasks_.native(""), fs::perms::all | fs::perms::sticky_bit);
        }
        ToolRun run = runTool(
            c.line == Check
                ? std::vector<std::string>{"-readpermissions", "-i:" + input}
                : std::vector<std::string>{"-f:10", "-p:13", "-k:QL", "-perm:PRINT_LOW,COPY", "-o:" + work("out.pdf"),
                                           "-i:" + (c.line == Wildcard ? work("in dir\\*.pdf") : input)},
            c.line == CurrentFolder ? NoApplicationData : Variables(),
            unreadable ? ordinaryUser() : std::vector<std::string>());
        stopStandIn();
        ASSERT_FALSE(run.lines.empty());
        long id = announcedId(run, c.line == Check ? "Created a permission extract task for FraskPdf: Task Id "
                                                   : TaskAnnouncement);
        ASSERT_GE(id, 0) << run.output;
        const std::string& last = run.lines.back();
        EXPECT_TRUE(std::regex_search(last, std::regex(c.lastLine))) << run.output;
        if (c.exitCode >= 3500) { // a plug-in error
            // The plug-in's message names the task file.
            EXPECT_THAT(last, testing::EndsWith(" (" + tasks_.path() + "\\Task" + std::to_string(id) + ".ovc)"));
        }
        EXPECT_EQ(seenExitCode(c.exitCode), run.exitCode) << run.output;
        EXPECT_EQ(c.filesLeft, tasks_.names().size());
        EXPECT_NE(std::string::npos, tasks_.read("Task" + std::to_string(id) + ".ovc").find(c.taskFileHolds));
    }
}

// A busy task folder: runs started at once, then more runs in flight while pairs of FINISHED
// clears run side by side every 0.2 s. Every run gets a task file of its own, complete with its
// own options (each output folder's name holds a blank and ends with a separator, so that the
// argument is quoted with a backslash before the quote), and reports the plug-in's verdict: a
// clear never takes a finished task from the run about to read it. Clears side by side share
// the files without failing, each task file is removed once (on Windows two deletes that both
// open a file before either closes it both succeed, and both clears say so), and none is left.
// Natively the release build that make test brings up to date from the same sources and names
// in OVS_RELEASE_BIN_DIR (500 runs of the sanitizer build need some 9 GB); under Wine, where
// every run is a Windows process of its own weight, fewer runs of this build.
TEST_F(EndToEnd, RunsAndClearsAtOnceGiveEveryRunItsOwnTaskAndOutcome) {
    const bool native = ovs::platform::isPosixSubstitute();
    if (native && !useReleaseBuild()) {
        GTEST_SKIP() << "OVS_RELEASE_BIN_DIR does not name the release build's bin folder (make test-native does)";
    }
    startStandIn("finish");
    std::vector<std::unique_ptr<ovs::platform::ChildProcess>> runs;
    auto output = [&](std::size_t n) { return work("out " + std::to_string(n) + "\\"); };
    auto start = [&](int count) {
        for (std::size_t n = runs.size(), end = n + count; n < end; ++n) {
            runs.push_back(std::make_unique<ovs::platform::ChildProcess>(
                toolOptions({"-f:" + std::to_string(n), "-p:13", "-k:LS", "-o:" + output(n), "-i:" + work("in.pdf")})));
        }
    };
    std::multiset<std::string> removable; // a "Removed file" line for the task of every run
    auto finished = [&](std::size_t n) {  // run n's task id
        ToolRun run = toolRun(runs[n]->wait(), runs[n]->output());
        EXPECT_EQ(0u, run.exitCode) << run.output;
        EXPECT_EQ(5u, run.lines.size()) << run.output;
        EXPECT_TRUE(std::regex_match(run.output, std::regex("(.*\n){3}Waiting for finish [.!]*\n"
                                                            "Task finished at \\d{4}-\\d{2}-\\d{2} [\\d:]{8}\n")))
            << run.output;
        const long id = announcedId(run, TaskAnnouncement);
        removable.insert("Removed file " + tasks_.file("Task" + std::to_string(id) + ".ovc"));
        return id;
    };
    start(native ? 500 : 40);
    std::set<long> ids;
    for (std::size_t n = 0; n < runs.size(); ++n) {
        SCOPED_TRACE(n);
        const long id = finished(n);
        EXPECT_TRUE(ids.insert(id).second) << id;
        EXPECT_EQ(taskText("State=Finished\r\n", id) + "WholeNumberOfProcessedDocuments=1\r\n[Parameter]\r\nf=" +
                      std::to_string(n) + "\r\ni=" + work("in.pdf") + "\r\nk=LS\r\no=" + output(n) + "\r\np=13\r\n",
                  tasks_.read("Task" + std::to_string(id) + ".ovc"));
    }
    // The finished tasks stay for the clears, beside those of the runs started now.
    const std::size_t first = runs.size();
    start(native ? 100 : 30);
    std::multiset<std::string> removed;
    auto clearTwiceAtOnce = [&] {
        ovs::platform::ChildProcess one(toolOptions({"-clear:FINISHED"})), other(toolOptions({"-clear:FINISHED"}));
        for (ovs::platform::ChildProcess* child : {&one, &other}) {
            ToolRun clear = toolRun(child->wait(), child->output());
            ASSERT_EQ(0u, clear.exitCode) << clear.output;
            ASSERT_GE(clear.lines.size(), 3u) << clear.output;
            EXPECT_EQ("Clearing old task files (FINISHED)", clear.lines[2]);
            removed.insert(clear.lines.begin() + 3, clear.lines.end());
        }
    };
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(240);
    int clears = 0;
    while (std::any_of(runs.begin() + first, runs.end(), [](auto& run) { return run->running(); }) &&
           std::chrono::steady_clock::now() < end) {
        clearTwiceAtOnce();
        ++clears;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    EXPECT_GE(clears, 2); // clears ran while runs were in flight
    for (std::size_t n = first; n < runs.size(); ++n) {
        SCOPED_TRACE(n);
        finished(n);
    }
    // Every run has read its outcome and taken its marker away: the next clears take the rest.
    clearTwiceAtOnce();
    EXPECT_EQ(std::vector<std::string>(), tasks_.names());
    EXPECT_EQ(std::set<std::string>(removable.begin(), removable.end()),
              std::set<std::string>(removed.begin(), removed.end()));
    if (native) {
        EXPECT_EQ(removable, removed); // a name a later run drew again goes once for each
    }
}
