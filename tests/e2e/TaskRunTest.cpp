// Task runs from command line to exit code against the running stand-in: finished, aborted,
// refused by the plug-in, Acrobat gone, spoiled. Acrobat started and restarted by
// the tool is Wow64Test's. How the tool waits for a task that is never accepted, and a request
// whose write or move fails, are proven in-process (ThisAppRun), the value with a line break by
// TaskRequest.
#include "EndToEnd.h"
#include "MessageNumbers.h"
#include "TestPrograms.h"
#include "platform/PlatformInfo.h"

#include <gmock/gmock.h>

#include <fstream>
#include <regex>

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
