// The run flow in-process: what the tool prints and returns for a command line, with the
// task file and Acrobat scripted through a recording environment and the waiting recorded
// through the platform-call table.
#include "ThisApp.h"

#include "MessageNumbers.h"
#include "ProcessTestSupport.h"
#include "platform/PlatformCalls.h"
#include "runtime/Exception.h"

#include <gtest/gtest.h>

#include <memory>
#include <regex>
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
    std::uint32_t submitTask(RequestTask&, const ParameterMap& parameters) override {
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

class ThisAppRun : public testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<ThisApp>(); // names the program and its message prefix for messageOf
        ovs::PlatformCalls calls = ovs::systemPlatformCalls();
        calls.sleep = &SleepRecorder::sleep;
        sleeping = std::make_unique<ovs::ScopedPlatformCalls>(calls);
    }

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
    std::unique_ptr<ovs::ScopedPlatformCalls> sleeping;
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

} // namespace
