// The run flow in-process: what the tool prints and returns for a command line, with the
// task file and Acrobat scripted through a recording environment, or the real task folder, and
// the waiting recorded and the task folder's faults put in place through the platform-call
// table.
#include "ThisApp.h"

#include "FileTestSupport.h"
#include "MessageNumbers.h"
#include "ProcessTestSupport.h"
#include "TaskTestFolder.h"
#include "platform/PlatformCalls.h"
#include "runtime/Exception.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace msg = ovs::msg;
using ovs::test::SleepRecorder;

namespace {

// Answers the run flow from scripts and records what it was asked to do.
class ScriptedEnvironment : public RunEnvironment {
public:
    bool acrobatIsRunning(Acrobat&) override { return acrobat[std::min(aliveChecks++, acrobat.size() - 1)]; }
    void startAcrobat(Acrobat&) override { ++starts; }
    void restartAcrobat(Acrobat&) override { ++restarts; }
    std::uint32_t submitTask(RequestTask& request, const ParameterMap& parameters) override {
        if (realSubmit) {
            return RunEnvironment::submitTask(request, parameters);
        }
        for (const auto& entry : parameters) {
            submitted.push_back(entry.first);
        }
        ++submits;
        return 417;
    }
    TaskState pollTask(RequestTask&) override {
        std::size_t poll = polls++;
        return states.empty() ? TaskState::NotAccessible : states[std::min(poll, states.size() - 1)];
    }
    std::int32_t processedDocuments(RequestTask&) override { return documents; }

    std::vector<bool> acrobat{true}; // answers to the Acrobat checks in turn; the last repeats
    std::vector<TaskState> states;   // answers to the polls in turn; the last repeats
    std::int32_t documents = 0;
    bool realSubmit = false; // the request is written to the task folder

    std::size_t aliveChecks = 0;
    std::size_t polls = 0;
    int starts = 0, restarts = 0, submits = 0;
    std::vector<std::string> submitted; // the option names, in the order handed over
};

// The usage texts of both option sets: their common head, input line and last three options.
const std::string Head = "\nCommand line tool for creating encrypted PDF files \nwith Lockspire or Quorlin\nOptions\n";
const std::string Input =
    "  -i:<File>   mandatory Input file/folder. Should be the last parameter in the command line.\n";
const std::string Tail =
    "  -clear:<Str> optional  Clear existing task files:ALL for all, FINISHED for all finished tasks\n"
    "  -startacrobat optional  Starts Adobe Acrobat, if it is not running\n"
    "  -restartacrobatevery:<Num> optional  Tries to restart acrobat every X encrypted documents\n";

const std::string FullUsage =
    Head +
    "  -f:<Num>    mandatory FirmCode\n"
    "  -p:<Num>    mandatory ProductCode\n"
    "  -cf:<Num>   optional  FeatureCode\n"
    "  -k:<Str>    mandatory Hardware (QL=Quorlin, LS=Lockspire)\n"
    "  -alg:<Num>  optional  Algorithm Version (2,3,4,5) (Quorlin only)\n"
    "  -ad         optional  Check Activation Date (Lockspire only)\n"
    "  -ed         optional  Check Expiration Date\n"
    "  -nw         optional  Network Access\n"
    "  -uco        optional  Decrease UnitCounter on open (Lockspire only)\n"
    "  -ucp        optional  Decrease UnitCounter on print (Lockspire only)\n"
    "  -comp:<Num> optional  Set Acrobat compatiblity\n"
    "  -perm:<Str> optional  Specify permissions: PRINT_LOW, PRINT_HIGH, EDIT_INSERT, EDIT_FILLANDSIGN, "
    "EDIT_COMMENT, EDIT_ANY, COPY, ACCESSIBILITY, PRTSCREEN, EXT_PRTSCREEN, READER_ONLY, EXT_DEBUGCHECK\n" +
    Input +
    "  -o:<File>   mandatory Output file/folder\n"
    "  -additionalsystems:<Str> optional  A string with a list of additional copy protection systems. The "
    "systems are separated through semicolon.\n"
    "              A system definition could be LS,FC,PC[,FeatureCode] or QL,FC,PC[,AlgorithmVersion]. \n"
    "              Sample: -additionalsystems:\"LS,10,13,1;QL,10,15,4;LS,10,14\"\n"
    "  -usermessage:<Str> optional  The filename of the usermessage dll without extension\n"
    "  -la:<Str>   optional  Specify license access options, if network access is enabled: USER_LIMIT, "
    "NO_USER_LIMIT, EXCLUSIVE, STATION_SHARE, CONVENIENT\n"
    "  -readpermissions optional  Check if the permissions of the given PDF document allows the encryption with "
    "Veilgard PDF\n" +
    Tail;

const std::string PermissionUsage = Head +
                                    "  -readpermissions mandatory Check if the permissions of the given PDF document "
                                    "allows the encryption with Veilgard PDF\n" +
                                    Input + Tail;

const std::string DateTimePattern = "[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}";

// The message line of an exception as the run flow composes it.
std::string messageOf(int number, const std::string& argument1 = std::string()) {
    return ovs::Exception(number, argument1).message();
}

// text as a regular expression that matches it literally.
std::string quoted(const std::string& text) {
    return std::regex_replace(text, std::regex("[.^$|()\\[\\]{}*+?\\\\]"), "\\$&");
}

// The task folder's file calls as a row of a test wants them: every call of one kind on a path
// that holds name fails with error; ERROR_FILE_NOT_FOUND instead has another program remove the
// file just before the call, which then goes to the system. atFault: the names of the path's
// folder at the first strike, separated by blanks.
struct Fault {
    enum Call { None, Write, Move, Open, Delete } call = None;
    const char* name = "";
    DWORD error = ERROR_SUCCESS;
} fault;
std::optional<std::string> atFault;

bool strikes(Fault::Call call, const std::string& path) {
    if (fault.call != call || path.find(fault.name) == std::string::npos) {
        return false;
    }
    const std::filesystem::path folder = std::filesystem::path(ovs::platform::nativePathOf(path)).parent_path();
    for (const std::string& name : atFault ? std::vector<std::string>() : TaskTestFolder::namesIn(folder)) {
        atFault = atFault.value_or("") + (atFault ? " " : "") + name;
    }
    atFault = atFault.value_or("");
    if (fault.error == ERROR_FILE_NOT_FOUND) {
        DeleteFileA(path.c_str());
        return false;
    }
    SetLastError(fault.error);
    return true;
}
DWORD createFileWith(const std::string& path, const std::string& bytes, ovs::platform::FileIdentity& identity) {
    return strikes(Fault::Write, path) ? fault.error : ovs::platform::createFileWith(path, bytes, identity);
}
BOOL WINAPI moveFileEx(LPCSTR from, LPCSTR to, DWORD flags) {
    return !strikes(Fault::Move, from) && MoveFileExA(from, to, flags);
}
DWORD openForReading(ovs::platform::RegularFileReader& reader, const std::string& path) {
    return strikes(Fault::Open, path) ? fault.error : reader.open(path);
}
BOOL WINAPI deleteFile(LPCSTR path) {
    return !strikes(Fault::Delete, path) && DeleteFileA(path);
}

class ThisAppRun : public testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<ThisApp>(); // names the program and its message prefix for messageOf
        ovs::PlatformCalls calls = ovs::systemPlatformCalls();
        calls.sleep = &SleepRecorder::sleep;
        calls.createFileWith = &createFileWith;
        calls.moveFileEx = &moveFileEx;
        calls.openForReading = &openForReading;
        calls.deleteFile = &deleteFile;
        platform = std::make_unique<ovs::ScopedPlatformCalls>(calls); // restored after each test
    }
    void TearDown() override { fault = Fault(); }

    // Runs the tool with the arguments in a fresh application whose environment answers as scripted; output
    // receives everything after the banner.
    int run(std::vector<const char*> arguments, const ScriptedEnvironment& scripted) {
        SleepRecorder::sleeps().clear();
        app.reset();
        app = std::make_unique<ThisApp>();
        auto owned = std::make_unique<ScriptedEnvironment>(scripted);
        environment = owned.get();
        app->setEnvironment(std::move(owned));
        arguments.insert(arguments.begin(), "FraskPdfCmd");
        app->setArguments(static_cast<int>(arguments.size()), arguments.data());
        testing::internal::CaptureStdout();
        int code = app->run();
        std::string all = testing::internal::GetCapturedStdout();
        std::size_t end = all.find('\n', all.find('\n') + 1) + 1; // of the two banner lines
        banner = all.substr(0, end);
        output = all.substr(end);
        return code;
    }

    std::unique_ptr<ThisApp> app;
    ScriptedEnvironment* environment = nullptr;
    std::unique_ptr<ovs::ScopedPlatformCalls> platform; // the recording Sleep and the faulty file calls
    std::string banner;
    std::string output;
};

// A task line with the given options in front.
std::vector<const char*> task(std::vector<const char*> front) {
    for (const char* option : {"-f:10", "-p:13", "-k:LS", "-nw", "-o:C:\\out", "-i:C:\\docs\\*.pdf"}) {
        front.push_back(option);
    }
    return front;
}

// Command lines against scripted Acrobat answers, poll states and document count: the console
// after the banner as a regular expression, the exit code, what was polled, waited for and
// checked, the option names submitted, and whether Acrobat was started or restarted. The
// task's own outcomes by state are proven end to end.
TEST_F(ThisAppRun, CommandLinesFromOptionSetToTheEndOfTheirTask) {
    const std::string created = "Created a task for FraskPdf: Task Id 417\nWaiting for finish ";
    const std::string extract = "Created a permission extract task for FraskPdf: Task Id 417\nWaiting for finish ";
    const std::string finished = "\nTask finished at " + DateTimePattern + "\n";
    const std::string notAccepted = "\nTask was not accepted: " + DateTimePattern + "\n";
    const std::string gone = "\n" + quoted(messageOf(msg::AcrobatNotRunning)) + "\n"; // no parentheses
    // A task file that cannot be opened at a poll leaves the state unknown.
    const std::string unread = "\n" + quoted(messageOf(msg::FreeFatalError, "Unkown state")) + " \\(Unkown state\\)\n";
    auto missing = [](const char* option, const std::string& usage) {
        return quoted(usage + ("\n" + messageOf(msg::InvalidOption)) + " (Mandatory option '" + option +
                      "' is missing.)\n");
    };
    const std::vector<std::string> fullNames{"f", "i", "k", "o", "p"}, checkNames{"i", "readpermissions"};
    std::vector<TaskState> tenRequestsThreeAccepted(10, TaskState::Request);
    tenRequestsThreeAccepted.insert(tenRequestsThreeAccepted.end(), 3, TaskState::Accepted);
    tenRequestsThreeAccepted.push_back(TaskState::Request);
    struct Case {
        std::vector<const char*> line;
        std::vector<TaskState> states; // answers to the polls in turn; the last repeats
        int code;
        std::string output;
        std::size_t polls, sleeps, aliveChecks;
        std::vector<std::string> names; // empty: not checked
        std::vector<bool> acrobat = {true};
        std::int32_t documents = 0;
        int restarts = 0;
    } cases[] = {
        // clang-format off
        // The option set, the mandatory check and the announcement; a task file never written.
        {{}, {}, msg::InvalidOption, missing("f", FullUsage), 0, 0, 0, {}},
        {{"-startacrobat"}, {}, msg::InvalidOption, missing("f", FullUsage), 0, 0, 0, {}}, // started before the check
        {{"-clear:"}, {}, msg::InvalidOption, missing("f", FullUsage), 0, 0, 0, {}}, // no clear mode without a value
        {{"-f:1", "-p:2", "-k:LS", "-i:C:\\in\\*.pdf", "-o:C:\\out"}, {}, msg::InvalidOption, missing("o", FullUsage), 0, 0, 0, {}},
        {{"-f:abc", "-p:2", "-k:LS", "-o:C:\\out", "-i:C:\\in"}, {}, msg::InvalidOption, missing("f", FullUsage), 0, 0, 0, {}},
        {{"-n", "-f:1", "-p:2", "-k:LS", "-o:C:\\out", "-i:C:\\in"}, {}, msg::FreeFatalError, created + unread, 1, 1, 1, fullNames},
        {{"-readpermissions"}, {}, msg::InvalidOption, missing("i", PermissionUsage), 0, 0, 0, {}},
        {{"-f:1", "-readpermissions", "-i:C:\\in\\a.pdf"}, {}, msg::FreeFatalError, extract + unread, 1, 1, 1, checkNames},
        {{"-i:C:\\readpermissions\\a.pdf"}, {}, msg::InvalidOption, missing("readpermissions", PermissionUsage), 0, 0, 0, {}},
        {{"-i:C:\\in\\a.pdf", "-readpermissions"}, {}, msg::InvalidOption, missing("readpermissions", PermissionUsage), 0, 0, 0, {}},
        // Arguments with blanks are quoted when the line is joined: a quote before "-i:", "/i:",
        // "-o:" or "/o:" moves behind the colon, any other stays and hides the option.
        {{"-f:1", "-p:2", "-k:LS", "/o:C:\\x y\\", "/i:C:\\a b"}, {TaskState::Finished}, 0, created + finished, 1, 2, 1, fullNames},
        {{"-f:1", "-p:2", "-k:LS", "-o:C:\\x y", "-I:C:\\a b"}, {}, msg::InvalidOption, missing("i", FullUsage), 0, 0, 0, {}},
        // Polls every 2 s; an option name in other case selects the full set, yet the permission wording.
        {task({}), {TaskState::Request, TaskState::Accepted, TaskState::Accepted, TaskState::Finished}, 0,
         created + "\\.!!" + finished, 4, 5, 1, {"f", "i", "k", "nw", "o", "p"}},
        {task({"-READPERMISSIONS"}), {TaskState::Finished}, 0, extract + finished, 1, 2, 1,
         {"f", "i", "k", "nw", "o", "p", "readpermissions"}},
        // Given up at the 15th poll in Request, without the restart rule.
        {task({"-restartacrobatevery:0"}), {TaskState::Request}, msg::FreeFatalError, created + "\\.{15}" + notAccepted, 15, 16, 1, {}},
        // Countdowns are not reset by a change of state, and three Accepted polls reach no Acrobat check.
        {task({}), tenRequestsThreeAccepted, msg::FreeFatalError, created + "\\.{10}!!!\\.{5}" + notAccepted, 18, 19, 1, {}},
        {task({}), {TaskState::Accepted}, msg::AcrobatNotRunning, created + "!{10}" + gone, 10, 10, 3, {}, {true, true, false}},
        {task({}), {}, msg::AcrobatNotRunning, gone, 0, 0, 1, {}, {false}},
        // The restart rule compares the task's document count, whatever the task's end.
        {task({"-restartacrobatevery:0"}), {TaskState::Error}, 0, created + "\nTask aborted at " + DateTimePattern +
         "\n Whole number of processed documents: 0\n Trying to restart acrobat at " + DateTimePattern + "\n", 1, 2, 1, {}, {true}, 0, 1},
        {task({"-restartacrobatevery:5"}), {TaskState::Finished}, 0, created + finished +
         " Whole number of processed documents: 4\n", 1, 2, 1, {}, {true}, 4, 0},
        {task({"-restartacrobatevery:0x10"}), {TaskState::Finished}, 0, created + finished +
         " Whole number of processed documents: 16\n Trying to restart acrobat at " + DateTimePattern + "\n", 1, 2, 1, {}, {true}, 16, 1},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.empty() ? "(none)" : std::string(c.line[0]) + " ... " + c.line.back());
        ScriptedEnvironment scripted;
        scripted.acrobat = c.acrobat;
        scripted.states = c.states;
        scripted.documents = c.documents;
        EXPECT_EQ(run(c.line, scripted), c.code);
        EXPECT_EQ(banner.rfind("FraskPdfCmd Version 21.02 of Feb/17/2021 (Build 4548)\n", 0), 0u);
        EXPECT_TRUE(std::regex_match(output, std::regex(c.output))) << output;
        EXPECT_EQ(environment->starts, app->parser()->findOption("startacrobat")->present ? 1 : 0);
        EXPECT_EQ(environment->submits, c.polls == 0 ? 0 : 1);
        EXPECT_EQ(environment->restarts, c.restarts);
        EXPECT_EQ(environment->polls, c.polls);
        EXPECT_EQ(SleepRecorder::sleeps(), std::vector<DWORD>(c.sleeps, 2000));
        EXPECT_EQ(environment->aliveChecks, c.aliveChecks);
        if (!c.names.empty()) {
            EXPECT_EQ(environment->submitted, c.names);
        }
    }
}

// Runs on the real task folder, one after the other, with the faults of its file calls put in
// place through the platform-call table: a request whose write or move fails, clears that
// remove only what their mode names, a refused removal, a task file that vanishes between the
// listing and its open or its removal. Each row adds files, puts a fault in place and expects
// the lines after the banner (the file lines of a clear in any order; the last line of a failed
// run as a regular expression), the exit code and, at a write or a move that failed, the names
// the folder held. Exactly the files that a "Removed file" line names, and one that vanished,
// are gone afterwards: a failed request leaves nothing behind.
TEST_F(ThisAppRun, RunsOnTheTaskFolderPrintAndLeaveExactlyWhatTheirFilesAndFaultsSay) {
    TaskTestFolder tasks;
    ovs::test::InPrivateFolder current;
    const std::string ended = "1073741820"; // beyond any process id Linux or Windows hands out
    const std::string live = std::to_string(GetCurrentProcessId());
    const std::string f = tasks.path() + "\\", q = quoted(f), drive = quoted(f.substr(0, 2));
    const std::string request = "Task\\d+\\.ovc", pending = request + "\\." + live + "-\\d+\\.pending";
    auto finished = [](int id) { return taskText("State=Finished\r\n", id); };
    auto removed = [&](const std::string& name) { return "Removed file " + f + name; };
    // A file named in a message: quoted (the folder's name holds a blank), without the drive of
    // the current folder.
    const bool sameDrive = std::toupper(current.current()[0]) == std::toupper(f[0]);
    auto shown = [&](const std::string& name) { return "\"" + quoted(f.substr(sameDrive ? 2 : 0)) + name + "\""; };
    auto denied = [&](const std::string& name) {
        return "FraskPdfCmd: fatal error OV1013 - access to " + shown(name) + " denied\\. \\(" + shown(name) + "\\)";
    };
    const std::string created = "Created a task for FraskPdf: Task Id ";
    // clang-format off
    const struct {
        const char* name;
        std::vector<std::pair<std::string, std::string>> files; // added before the run
        std::vector<const char*> arguments;
        std::vector<std::string> lines;
        int code;
        Fault fault = {};
        std::string atFault = ""; // the folder's names then, as a regular expression
        bool currentFolder = false; // no application-data folder: the task folder is the current one
    } rows[] = {
        // The request is written whole under its pending name, the marker of the waiting run
        // beside it, and only then moved to its task name.
        {"full disk at the request", {}, task({}), {created, "FraskPdfCmd: fatal error OV1011 - disk " + shown(pending) +
         " is full\\. \\(" + drive + "\\)"}, msg::DiskFull, {Fault::Write, ".pending", ERROR_DISK_FULL}, ""},
        {"request denied", {}, task({}), {created, denied(pending)}, msg::AccessDenied, {Fault::Write, ".pending", ERROR_ACCESS_DENIED}, ""},
        {"full disk at the marker", {}, task({}), {created, "FraskPdfCmd: fatal error OV1011 - disk " + shown(request + "\\." +
         live + "\\.waiting") + " is full\\. \\(" + drive + "\\)"}, msg::DiskFull, {Fault::Write, ".waiting", ERROR_DISK_FULL},
         pending},
        {"move denied", {}, task({}), {created, denied(request)}, msg::AccessDenied,
         {Fault::Move, ".pending", ERROR_ACCESS_DENIED}, pending + " " + request + "\\." + live + "\\.waiting"},
        {"unknown value",
         {{"Task1.ovc", taskText("State=Finished\r\nWholeNumberOfProcessedDocuments=1\r\n")},
          {"Task2.ovc", taskText("State=Error\r\nLastError=3505\r\n")},
          // A header key written in another case still makes a task file.
          {"Task3.ovc", std::regex_replace(taskText("State=Accepted\r\n"), std::regex("Guid"), "guid")},
          {"Task4.ovc", taskText("State=finished\r\n")}, {"Task5.ovc", ""}, {"Task6.ovc", "no header at all\r\n"},
          {"TaskOther.ovc", "[ORVA-SYSTEMS Control File]\r\nGuid={00000000-0000-1100-8000-0000C06B5162}\r\n"},
          {"Notes.txt", finished(1)}, {"Task7.ovc." + ended + "-0.pending", taskText("State=Request\r\n")},
          {"Task8.ovc." + ended + "-3.pending", ""}, {"Task9.ovc." + live + "-0.pending", taskText("State=Request\r\n")},
          {"Task10.ovc." + ended + "-0.pending", "my own data"}, {"Task11.ovc." + ended + ".pending", ""}},
         {"-clear:all"}, {"Unkown option for clear:all"}, 1},
        {"finished, no Acrobat start", {}, {"-clear:FINISHED", "-startacrobat"}, {"Clearing old task files (FINISHED)", removed("Task1.ovc")}, 0},
        {"finished, quoted and upper case", {}, {"/CLEAR:\"FINISHED\""}, {"Clearing old task files (FINISHED)"}, 0},
        // Requests of ended runs that were never published go too, the running one's stays.
        {"all", {}, {"-clear:ALL"}, {"Clearing old task files (ALL)", removed("Task2.ovc"), removed("Task3.ovc"), removed("Task4.ovc"),
          removed("Task5.ovc"), removed("Task7.ovc." + ended + "-0.pending"), removed("Task8.ovc." + ended + "-3.pending")}, 0},
        // A damaged task file ends a finished-only run; the ALL mode removes it unread.
        {"finished, newer header", {{"Task12.ovc", taskText("State=Finished\r\n", 1, "2.00")}}, {"-clear:FINISHED"},
         {"Clearing old task files (FINISHED)", "", "FraskPdfCmd, " + q + "Task12\\.ovc: fatal error OV1114 - file has bad "
          "version 200\\. \\(200\\)"}, msg::BadVersion},
        {"all, newer header", {}, {"-clear:ALL"}, {"Clearing old task files (ALL)", removed("Task12.ovc")}, 0},
        // A refused removal fails the run with its error, after the other files went.
        {"refused removal", {{"Task11.ovc", finished(11)}, {"Task12.ovc", finished(12)}}, {"-clear:FINISHED"},
         {"Clearing old task files (FINISHED)", "Couldn't remove file " + f + "Task11.ovc", removed("Task12.ovc"),
          "", denied("Task11\\.ovc")}, msg::AccessDenied, {Fault::Delete, "Task11.ovc", ERROR_ACCESS_DENIED}},
        {"every removal refused", {{"Task13.ovc", finished(13)}}, {"-clear:ALL"},
         {"Clearing old task files (ALL)", "Couldn't remove file " + f + "Task11.ovc", "Couldn't remove file " + f +
          "Task13.ovc", "", denied("Task1[13]\\.ovc")}, msg::AccessDenied, {Fault::Delete, "", ERROR_ACCESS_DENIED}},
        // A file that may not be opened is kept silently by the FINISHED mode; ALL reports it.
        {"finished, unreadable", {}, {"-clear:FINISHED"}, {"Clearing old task files (FINISHED)"}, 0, {Fault::Open, "Task1", ERROR_ACCESS_DENIED}},
        {"all, unreadable", {}, {"-clear:ALL"}, {"Clearing old task files (ALL)", "Couldn't remove file " + f + "Task11.ovc",
          removed("Task13.ovc"), "", denied("Task11\\.ovc")}, msg::AccessDenied, {Fault::Open, "Task11.ovc", ERROR_ACCESS_DENIED}},
        // Gone between the listing and the open, or the removal (another clear took it): no failure.
        {"finished, vanished before the open", {{"Task14.ovc", finished(14)}}, {"-clear:FINISHED"},
         {"Clearing old task files (FINISHED)", removed("Task11.ovc")}, 0, {Fault::Open, "Task14.ovc", ERROR_FILE_NOT_FOUND}},
        {"all, vanished before the open", {{"Task15.ovc", ""}, {"Task16.ovc", ""}}, {"-clear:ALL"},
         {"Clearing old task files (ALL)", removed("Task16.ovc")}, 0, {Fault::Open, "Task15.ovc", ERROR_FILE_NOT_FOUND}},
        {"finished, vanished before the removal", {{"Task17.ovc", finished(17)}}, {"-clear:FINISHED"},
         {"Clearing old task files (FINISHED)"}, 0, {Fault::Delete, "Task17.ovc", ERROR_FILE_NOT_FOUND}},
        {"all, vanished before the removal", {{"Task18.ovc", ""}}, {"-clear:ALL"}, {"Clearing old task files (ALL)"}, 0,
         {Fault::Delete, "Task18.ovc", ERROR_FILE_NOT_FOUND}},
        // The marker of a run waiting for its task keeps a finished task while that run lives;
        // the ALL mode removes the temporaries and markers of writers that have ended.
        {"finished, waiting runs",
         {{".Task5.ovc." + ended + "-0.pending.~" + ended + "-0.tmp", ""}, {".Task6.ovc.~" + ended + "-2.tmp", ""},
          {".Task7.ovc.~" + live + "-0.tmp", ""}, {".notes.txt.~" + ended + "-0.tmp", ""},
          {"Task8.ovc." + ended + ".waiting", ""}, {"Task9.ovc." + live + ".waiting", ""}, {"Task10.ovc.x.waiting", ""},
          {"Task8.ovc", finished(8)}, {"Task9.ovc", finished(9)}},
         {"-clear:FINISHED"}, {"Clearing old task files (FINISHED)", removed("Task8.ovc")}, 0},
        {"all, leftovers", {}, {"-clear:ALL"},
         {"Clearing old task files (ALL)", removed(".Task5.ovc." + ended + "-0.pending.~" + ended + "-0.tmp"),
          removed(".Task6.ovc.~" + ended + "-2.tmp"), removed("Task8.ovc." + ended + ".waiting"), removed("Task9.ovc")}, 0},
        // Without an application-data folder the task folder is the current one.
        {"finished, current folder", {{"Task1.ovc", "my own data"}, {"Task2.ovc", finished(2)}, {"Task3.ovc", ""}},
         {"-clear:FINISHED"}, {"Clearing old task files (FINISHED)", "Removed file Task2.ovc"}, 0, {}, "", true},
        {"all, current folder", {}, {"-clear:ALL"}, {"Clearing old task files (ALL)", "Removed file Task3.ovc"}, 0, {}, "", true},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.currentFolder && !ovs::platform::isPosixSubstitute()) {
            continue; // Windows always has an application-data folder
        }
        const std::filesystem::path folder = row.currentFolder ? current.folder().native() : tasks.native("");
        for (const auto& [name, content] : row.files) {
            std::ofstream(folder / name, std::ios::binary) << content;
        }
        std::vector<std::string> left = TaskTestFolder::namesIn(folder);
        std::optional<ovs::test::ScopedVariable> configuration, home;
        if (row.currentFolder) {
            configuration.emplace("XDG_CONFIG_HOME", "");
            home.emplace("HOME", "");
        }
        fault = row.fault;
        atFault.reset();
        ScriptedEnvironment scripted;
        scripted.realSubmit = true;
        EXPECT_EQ(row.code, run(row.arguments, scripted));
        fault = Fault();
        std::vector<std::string> lines;
        std::istringstream text(output);
        for (std::string line; std::getline(text, line);) {
            lines.push_back(line);
        }
        auto files = std::find(lines.begin(), lines.end(), ""); // a clear walks in the file system's order
        std::sort(std::min(lines.begin() + 1, files), files);
        if (row.code != 0 && !lines.empty()) { // the last line, as a regular expression
            EXPECT_TRUE(std::regex_match(lines.back(), std::regex(row.lines.back()))) << lines.back();
            lines.back() = row.lines.back();
        }
        EXPECT_EQ(row.lines, lines) << output;
        if (row.fault.call == Fault::Write || row.fault.call == Fault::Move) {
            EXPECT_TRUE(std::regex_match(atFault.value_or("(no fault)"), std::regex(row.atFault)))
                << atFault.value_or("");
        }
        for (const std::string& line : row.lines) {
            if (line.rfind("Removed file ", 0) == 0) {
                left.erase(std::remove(left.begin(), left.end(), line.substr(line.find_last_of("\\ ") + 1)),
                           left.end());
            }
        }
        if (row.fault.error == ERROR_FILE_NOT_FOUND) {
            left.erase(std::remove(left.begin(), left.end(), row.fault.name), left.end());
        }
        EXPECT_EQ(left, TaskTestFolder::namesIn(folder));
    }
}

} // namespace
