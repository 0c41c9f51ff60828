// Task runs from command line to exit code against the running stand-in: finished, aborted,
// refused by the plug-in, never accepted, Acrobat gone, and the permission check.
#include "EndToEnd.h"
#include "MessageNumbers.h"
#include "TestPrograms.h"
#include "platform/PlatformInfo.h"

#include <algorithm>
#include <fstream>
#include <regex>

namespace fs = std::filesystem;

namespace {

const std::string Banner = "FraskPdfCmd Version 21.02 of Feb/17/2021 (Build 4548)";

const std::string Header = "[ORVA-SYSTEMS Control File]\r\nGuid={00000000-0000-1100-8000-0000C06B5161}\r\n"
                           "Description=ORVA Frask Pdf Task File\r\nVersion=1.00\r\nEncoding=UTF-8\r\n";

// The id printed on the line that announces the task; -1 when there is none.
long announcedId(const ToolRun& run, const std::string& announcement) {
    for (const std::string& line : run.lines) {
        if (line.rfind(announcement, 0) == 0 && line.size() > announcement.size()) {
            return std::stol(line.substr(announcement.size()));
        }
    }
    return -1;
}

const std::string TaskAnnouncement = "Created a task for FraskPdf: Task Id ";

const char* const TaskFileNotAccessible =
    "^FraskPdfCmd: error OV3003 - The task file is not accessible to read out result of the task processing\\. "
    "\\(.*\\\\Task\\d+\\.ovc\\)$";
const char* const NoHeader = "^FraskPdfCmd, .*\\\\Task\\d+\\.ovc: fatal error OV1144 - ";

} // namespace

TEST_F(EndToEnd, AFinishedRunReportsTheTimeAndLeavesTheTaskFileAsExchanged) {
    copyDocument("invoice.pdf", "in\\invoice.pdf");
    std::filesystem::create_directories(native("out"));
    startStandIn("process");
    ToolRun run = runTool({"-f:10", "-p:13", "-k:LS", "-perm:PRINT_LOW,COPY", "-o:" + work("out"),
                           "-i:" + work("in\\invoice.pdf")});
    ASSERT_EQ(5u, run.lines.size()) << run.output;
    EXPECT_EQ(Banner, run.lines[0]);
    long id = announcedId(run, TaskAnnouncement);
    ASSERT_GE(id, 0) << run.output;
    EXPECT_EQ(TaskAnnouncement + std::to_string(id), run.lines[2]);
    EXPECT_TRUE(std::regex_match(run.lines[3], std::regex("Waiting for finish [.!]*"))) << run.lines[3];
    ASSERT_EQ(0u, run.lines[4].rfind("Task finished at ", 0)) << run.lines[4];
    EXPECT_TRUE(startsWithDateTime(run.lines[4].substr(17)));
    EXPECT_EQ(17u + 19u, run.lines[4].size());
    EXPECT_EQ(0u, run.exitCode);

    EXPECT_EQ(Header + "[Task]\r\nId=" + std::to_string(id) +
                  "\r\nState=Finished\r\nMajorVersion=21\r\nMinorVersion=2\r\nWholeNumberOfProcessedDocuments=1\r\n"
                  "[Parameter]\r\nf=10\r\ni=" + work("in\\invoice.pdf") + "\r\nk=LS\r\no=" + work("out") +
                  "\r\np=13\r\nperm=PRINT_LOW,COPY\r\n",
              readTaskFile("Task" + std::to_string(id) + ".ovc"));
    EXPECT_TRUE(std::filesystem::exists(native("out") / "invoice.pdf"));
    // The stand-in read the output back (natively) or says that it could not (under Wine).
    std::vector<std::string> log = standInLog();
    EXPECT_NE(log.end(), std::find(log.begin(), log.end(),
                                   ovs::platform::isPosixSubstitute()
                                       ? "checked invoice.pdf: encrypted, print low, modify none, extract yes"
                                       : "qpdf cannot be run here (Wine): invoice.pdf is a plain copy, neither "
                                         "encrypted nor checked"));
}

// An output whose permissions are not the ones asked for is error 3505, and the log says which
// permission differs. The qpdf given to the stand-in encrypts without any restriction.
TEST_F(EndToEnd, AnOutputWithOtherPermissionsThanAskedForIsError3505) {
    if (!ovs::platform::isPosixSubstitute()) {
        GTEST_SKIP() << "without qpdf (under Wine) the stand-in cannot read outputs back";
    }
    std::ofstream(native("qpdf")) << "#!/bin/sh\n[ \"$1\" = --encrypt ] && exec qpdf --encrypt \"\" veilgard 256 "
                                     "-- \"$(eval echo \\${$(($#-1))})\" \"$(eval echo \\${$#})\"\nexec qpdf \"$@\"\n";
    std::filesystem::permissions(native("qpdf"), std::filesystem::perms::owner_all);
    ovs::platform::setEnvironmentVariable("OVS_ACROBAT_QPDF", work("qpdf"));
    copyDocument("invoice.pdf", "in\\invoice.pdf");
    startStandIn("process");
    ovs::platform::setEnvironmentVariable("OVS_ACROBAT_QPDF", "");
    ToolRun run = runTool({"-f:10", "-p:13", "-k:LS", "-perm:PRINT_LOW", "-o:" + work("out.pdf"),
                           "-i:" + work("in\\invoice.pdf")});
    EXPECT_EQ(seenExitCode(ovs::msg::EncryptionErrors), run.exitCode) << run.output;
    std::vector<std::string> log = standInLog();
    for (const char* differs : {"print high resolution: not allowed", "modify other: not allowed",
                                "extract for any purpose: not allowed"}) {
        EXPECT_NE(log.end(), std::find(log.begin(), log.end(),
                                       "check of out.pdf failed: asked for \"" + std::string(differs) +
                                           "\", qpdf shows otherwise"))
            << differs;
    }
}

// The stand-in's behaviour decides the run: the waiting line (null: not checked), the last line
// (a regular expression searched for), the exit code and what the task file left behind holds.
TEST_F(EndToEnd, ThePluginsVerdictBecomesTheOutcome) {
    struct Case {
        const char* behaviour;
        bool wildcardInput;
        const char* waiting;
        const char* lastLine;
        std::uint32_t exitCode;
        const char* taskFileHolds = "";
        std::size_t filesLeft = 1;
    } const cases[] = {
        {"abort", false, nullptr, "^Task aborted at ", 0},
        {"fail:3505", false, nullptr, "^FraskPdfCmd: error OV3505 - There were errors while encrypting a document",
         ovs::msg::EncryptionErrors},
        {"fail:2147483648", false, nullptr, "^FraskPdfCmd: fatal error OV-2147483648 - ", 2147483648u},
        {"process", true, nullptr,
         "^FraskPdfCmd: error OV3503 - The output specification is not a folder\\. This is necessary if the input "
         "file contains wildcards",
         ovs::msg::OutputNotFolder},
        {"invalid-state:accepted", false, nullptr, "^FraskPdfCmd: fatal error - Unkown state in task request file",
         ovs::msg::FreeFatalError},
        {"header-version-2", false, nullptr, "\\.ovc: fatal error OV1114 - file has bad version 200\\.",
         ovs::msg::BadVersion},
        {"never-accept", false, "Waiting for finish ...............",
         "^Task was not accepted: \\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}$", ovs::msg::FreeFatalError,
         "State=Request\r\n"},
        {"exit-while-accepted", false, "Waiting for finish !!!!!",
         "^FraskPdfCmd: error OV3000 - FraskPdfCmd needs a running Adobe Acrobat with installed ORVA-SYSTEMS "
         "Veilgard PDF",
         ovs::msg::AcrobatNotRunning},
        // The task file spoiled while the tool waits: the error names the file.
        {"spoil:delete", false, nullptr, TaskFileNotAccessible, ovs::msg::TaskFileNotAccessible, "", 0},
        {"spoil:truncate", false, nullptr, NoHeader, 1144},
        {"spoil:garbage", false, nullptr, NoHeader, 1144},
    };
    copyDocument("invoice.pdf", "in\\invoice.pdf");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.behaviour);
        emptyTaskFolder(); // a task left in Request would be taken up by the next stand-in
        startStandIn(c.behaviour);
        ToolRun run = runTool({"-f:10", "-p:13", "-k:QL", "-o:" + work("out.pdf"),
                               "-i:" + work(c.wildcardInput ? "in\\*.pdf" : "in\\invoice.pdf")});
        stopStandIn();
        ASSERT_FALSE(run.lines.empty());
        long id = announcedId(run, TaskAnnouncement);
        ASSERT_GE(id, 0) << run.output;
        const std::string& last = run.lines.back();
        EXPECT_TRUE(std::regex_search(last, std::regex(c.lastLine))) << run.output;
        if (c.waiting) {
            ASSERT_EQ(5u, run.lines.size()) << run.output;
            EXPECT_EQ(c.waiting, run.lines[3]);
        }
        if (c.exitCode >= 3500) { // a plug-in error
            // The plug-in's message names the task file.
            std::string named = " (" + taskFolder_ + "\\Task" + std::to_string(id) + ".ovc)";
            EXPECT_TRUE(last.size() > named.size() && last.compare(last.size() - named.size(), named.size(), named) == 0)
                << last;
        }
        EXPECT_EQ(seenExitCode(c.exitCode), run.exitCode) << run.output;
        EXPECT_EQ(c.filesLeft, taskFiles().size());
        EXPECT_NE(std::string::npos, readTaskFile("Task" + std::to_string(id) + ".ovc").find(c.taskFileHolds));
    }
}

TEST_F(EndToEnd, APermissionCheckRunsTheSameExchangeWithTheReducedOptions) {
    copyDocument("invoice.pdf", "in\\invoice.pdf");
    startStandIn("process");
    ToolRun run = runTool({"-readpermissions", "-i:" + work("in\\invoice.pdf")});
    const std::string announcement = "Created a permission extract task for FraskPdf: Task Id ";
    long id = announcedId(run, announcement);
    ASSERT_GE(id, 0) << run.output;
    EXPECT_EQ(0u, run.lines.back().rfind("Task finished at ", 0)) << run.output;
    EXPECT_EQ(0u, run.exitCode);
    std::string task = readTaskFile("Task" + std::to_string(id) + ".ovc");
    EXPECT_NE(std::string::npos,
              task.find("[Parameter]\r\ni=" + work("in\\invoice.pdf") + "\r\nreadpermissions=1\r\n"))
        << task;

    if (!ovs::platform::isPosixSubstitute()) {
        return; // without qpdf (under Wine) the stand-in neither encrypts nor sees encryption
    }
    // A document encrypted by an earlier run does not allow another protection.
    std::filesystem::create_directories(native("out"));
    ToolRun encryption = runTool({"-f:10", "-p:13", "-k:LS", "-o:" + work("out"), "-i:" + work("in\\invoice.pdf")});
    ASSERT_EQ(0u, encryption.exitCode) << encryption.output;
    ToolRun check = runTool({"-readpermissions", "-i:" + work("out\\invoice.pdf")});
    EXPECT_EQ(0u, check.lines.back().rfind("FraskPdfCmd: error OV3510 - The permissions of the checked documents do "
                                           "not allow to encrypt them with Veilgard PDF", 0))
        << check.output;
    EXPECT_EQ(seenExitCode(ovs::msg::PermissionsForbid), check.exitCode);
}

TEST_F(EndToEnd, AtStartAcrobatIsLaunchedAndRestartedAfterEnoughDocuments) {
    registerAcrobat();
    auto environment = standInEnvironment("finish:2");
    ToolRun run = runTool({"-startacrobat", "-restartacrobatevery:2", "-f:1", "-p:2", "-k:LS",
                           "-o:" + work("out.pdf"), "-i:" + work("in.pdf")},
                          environment);
    EXPECT_EQ(0u, run.exitCode) << run.output;
    std::vector<std::string> starts;
    for (const std::string& line : standInLog()) {
        if (line.rfind("started ", 0) == 0) {
            starts.push_back(line);
        }
    }
    EXPECT_EQ(2u, starts.size()) << run.output;
    const std::string& output = run.output;
    std::size_t first = output.find("Starting acrobat, please wait\n");
    std::size_t count = output.find("\n Whole number of processed documents: 2\n");
    std::size_t restart = output.find("\n Trying to restart acrobat at ");
    std::size_t stopping = output.find("\nStopping Acrobat.exe - try 0\n");
    std::size_t second = output.find("Starting acrobat, please wait\n", first + 1);
    ASSERT_NE(std::string::npos, first) << output;
    EXPECT_TRUE(first < count && count < restart && restart < stopping && stopping < second &&
                second != std::string::npos)
        << output;
}

// A write that fails ends the run with the file and the cause named, and leaves neither a task
// file nor any other file behind. A full disk is a file-size limit (its signal ignored); the
// read-only task folder is met by an ordinary user.
TEST_F(EndToEnd, AFailedWriteOfTheRequestEndsTheRunAndLeavesNothing) {
    if (!ovs::platform::isPosixSubstitute()) {
        GTEST_SKIP() << "file-size limits and other users are set up with POSIX tools, which Windows programs "
                        "under Wine do not run under";
    }
    const std::string pending = "Task\\d+\\.ovc\\.\\d+-0\\.pending";
    auto limited = [](const char* bytes) {
        return std::vector<std::string>{"sh", "-c", std::string("trap '' XFSZ; exec prlimit --fsize=") + bytes + " \"$@\"",
                                        "sh"};
    };
    const std::vector<std::string> ordinaryUser = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
    struct Case {
        const char* name;
        std::vector<std::string> wrapper;
        std::string output;
        std::string lastLine;
        std::uint32_t exitCode;
    } const cases[] = {
        {"disk full at once", limited("0"), work("out.pdf"),
         "^FraskPdfCmd, file \"" + pending + "\", topic \\[ORVA-SYSTEMS Control File\\]: fatal error OV1011 - disk .* is full\\.",
         1011},
        {"disk full among the parameters", limited("300"), work("out.pdf"),
         "^FraskPdfCmd, file \"" + pending + "\", topic \\[Parameter\\], value \"\\w+\": fatal error OV1011 - disk .* is full\\.",
         1011},
        {"read-only task folder", ordinaryUser, work("out.pdf"),
         "^FraskPdfCmd: fatal error OV1013 - access to .*\\\\" + pending + "\"? denied\\.", 1013},
        {"line break in a value", {}, "out\nperm=EDIT_ANY,COPY,PRINT_HIGH",
         "^FraskPdfCmd: error OV3004 - The value of the option o contains a line break\\. It can not be passed in a "
         "task file\\.",
         3004},
    };
    startStandIn("process");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool readOnly = c.wrapper == ordinaryUser;
        bool superuser = false;
        if (readOnly) {
            fs::permissions(taskFilePath(""), fs::perms::owner_write, fs::perm_options::remove);
            // A superuser may write anyway: the run is then made by an ordinary user.
            superuser = static_cast<bool>(std::ofstream(taskFilePath("probe")));
            fs::remove(taskFilePath("probe"));
        }
        ToolRun run = runTool({"-f:10", "-p:13", "-k:LS", "-o:" + c.output, "-i:" + work("in.pdf")}, {},
                              readOnly && !superuser ? std::vector<std::string>() : c.wrapper);
        if (readOnly) {
            fs::permissions(taskFilePath(""), fs::perms::owner_write, fs::perm_options::add);
        }
        ASSERT_FALSE(run.lines.empty());
        EXPECT_TRUE(std::regex_search(run.lines.back(), std::regex(c.lastLine))) << run.output;
        EXPECT_EQ(seenExitCode(c.exitCode), run.exitCode) << run.output;
        EXPECT_EQ(std::vector<std::string>(), taskFiles());
    }
}
