// The run flow in-process: what the tool prints and returns for a command line, with the
// task file and Acrobat scripted through a recording environment and the waiting recorded
// through the process-call seam.
#include "ThisApp.h"

#include "MessageNumbers.h"
#include "ProcessTestSupport.h"
#include "process/ProcessCalls.h"
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
    bool acrobatIsRunning(Acrobat&) override {
        bool running = acrobat.empty() ? false : acrobat[std::min(aliveChecks, acrobat.size() - 1)];
        ++aliveChecks;
        return running;
    }
    void startAcrobat(Acrobat&) override { ++starts; }
    void restartAcrobat(Acrobat&) override { ++restarts; }
    std::uint32_t submitTask(RequestTask&, const ParameterMap& parameters) override {
        submitted = parameters;
        ++submits;
        return 417;
    }
    TaskState pollTask(RequestTask&) override {
        std::size_t poll = polls++;
        if (pollError && poll + 1 == states.size()) {
            throw *pollError;
        }
        return states.empty() ? TaskState::NotAccessible : states[std::min(poll, states.size() - 1)];
    }
    std::int32_t processedDocuments(RequestTask&) override { return documents; }

    std::vector<bool> acrobat{true};           // answers to the Acrobat checks in turn; the last repeats
    std::vector<TaskState> states;             // answers to the polls in turn; the last repeats
    std::unique_ptr<ovs::Exception> pollError; // raised instead of the last scripted state
    std::int32_t documents = 0;

    std::size_t aliveChecks = 0;
    std::size_t polls = 0;
    int starts = 0, restarts = 0, submits = 0;
    ParameterMap submitted;
};

const char* const FullUsage =
    "\n"
    "Command line tool for creating encrypted PDF files \n"
    "with Lockspire or Quorlin\n"
    "Options\n"
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
    "EDIT_COMMENT, EDIT_ANY, COPY, ACCESSIBILITY, PRTSCREEN, EXT_PRTSCREEN, READER_ONLY, EXT_DEBUGCHECK\n"
    "  -i:<File>   mandatory Input file/folder. Should be the last parameter in the command line.\n"
    "  -o:<File>   mandatory Output file/folder\n"
    "  -additionalsystems:<Str> optional  A string with a list of additional copy protection systems. The "
    "systems are separated through semicolon.\n"
    "              A system definition could be LS,FC,PC[,FeatureCode] or QL,FC,PC[,AlgorithmVersion]. \n"
    "              Sample: -additionalsystems:\"LS,10,13,1;QL,10,15,4;LS,10,14\"\n"
    "  -usermessage:<Str> optional  The filename of the usermessage dll without extension\n"
    "  -la:<Str>   optional  Specify license access options, if network access is enabled: USER_LIMIT, "
    "NO_USER_LIMIT, EXCLUSIVE, STATION_SHARE, CONVENIENT\n"
    "  -readpermissions optional  Check if the permissions of the given PDF document allows the encryption with "
    "Veilgard PDF\n"
    "  -clear:<Str> optional  Clear existing task files:ALL for all, FINISHED for all finished tasks\n"
    "  -startacrobat optional  Starts Adobe Acrobat, if it is not running\n"
    "  -restartacrobatevery:<Num> optional  Tries to restart acrobat every X encrypted documents\n";

const char* const PermissionUsage =
    "\n"
    "Command line tool for creating encrypted PDF files \n"
    "with Lockspire or Quorlin\n"
    "Options\n"
    "  -readpermissions mandatory Check if the permissions of the given PDF document allows the encryption "
    "with Veilgard PDF\n"
    "  -i:<File>   mandatory Input file/folder. Should be the last parameter in the command line.\n"
    "  -clear:<Str> optional  Clear existing task files:ALL for all, FINISHED for all finished tasks\n"
    "  -startacrobat optional  Starts Adobe Acrobat, if it is not running\n"
    "  -restartacrobatevery:<Num> optional  Tries to restart acrobat every X encrypted documents\n";

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
        app = std::make_unique<ThisApp>();
        auto scripted = std::make_unique<ScriptedEnvironment>();
        environment = scripted.get();
        app->setEnvironment(std::move(scripted));
        SleepRecorder::sleeps().clear();
        ovs::ProcessCalls calls = ovs::systemProcessCalls();
        calls.sleep = &SleepRecorder::sleep;
        sleeping = std::make_unique<ovs::ScopedProcessCalls>(calls);
    }
    void TearDown() override {
        sleeping.reset();
        app.reset();
    }
    // A fresh application and environment for the next case of a table.
    void restart() {
        TearDown();
        SetUp();
    }

    // Runs the tool with the arguments; output receives everything after the banner.
    int run(std::vector<const char*> arguments) {
        arguments.insert(arguments.begin(), "FraskPdfCmd");
        app->setArguments(static_cast<int>(arguments.size()), arguments.data());
        testing::internal::CaptureStdout();
        int code = app->run();
        std::string all = testing::internal::GetCapturedStdout();
        std::size_t first = all.find('\n');
        std::size_t second = first == std::string::npos ? first : all.find('\n', first + 1);
        banner = all.substr(0, second == std::string::npos ? all.size() : second + 1);
        output = second == std::string::npos ? std::string() : all.substr(second + 1);
        return code;
    }
    const OptionDesc* option(const char* name) const { return app->parser()->findOption(name); }

    std::unique_ptr<ThisApp> app;
    ScriptedEnvironment* environment = nullptr;
    std::unique_ptr<ovs::ScopedProcessCalls> sleeping;
    std::string banner;
    std::string output;
};

const std::vector<const char*> TaskLine = {"-f:10", "-p:13", "-k:LS", "-nw", "-o:C:\\out", "-i:C:\\docs\\*.pdf"};

TEST_F(ThisAppRun, StartAcrobatComesBeforeTheMandatoryCheck) {
    EXPECT_EQ(run({"-startacrobat"}), msg::InvalidOption);
    EXPECT_EQ(environment->starts, 1);
    EXPECT_EQ(output.rfind("\nCommand line tool", 0), 0u);
}

TEST_F(ThisAppRun, MandatoryOptionsAndOptionSets) {
    struct Case {
        std::vector<const char*> line;
        const char* missing; // reported option; null when the run reaches the task
        bool permissionSet;
    } cases[] = {
        {{}, "f", false},
        {{"-f:1", "-p:2", "-k:LS", "-i:C:\\in\\*.pdf", "-o:C:\\out"}, "o", false},
        {{"-f:1", "-p:2", "-k:LS", "-o:C:\\out", "-i:C:\\in\\*.pdf"}, nullptr, false},
        {{"-f:12abc", "-p:2", "-k:LS", "-o:C:\\out", "-i:C:\\in\\*.pdf"}, nullptr, false},
        {{"-f:abc", "-p:2", "-k:LS", "-o:C:\\out", "-i:C:\\in\\*.pdf"}, "f", false},
        {{"-n", "-f:1", "-p:2", "-k:LS", "-o:C:\\out", "-i:C:\\in\\*.pdf"}, nullptr, false},
        {{"-READPERMISSIONS", "-i:C:\\in\\a.pdf"}, "f", false},
        {{"-readpermissions"}, "i", true},
        {{"-readpermissions", "-i:C:\\in\\a.pdf"}, nullptr, true},
        {{"-f:1", "-readpermissions", "-i:C:\\in\\a.pdf"}, nullptr, true},
        {{"-i:C:\\readpermissions\\a.pdf"}, "readpermissions", true},
        {{"-i:C:\\in\\a.pdf", "-readpermissions"}, "readpermissions", true},
    };
    for (const Case& c : cases) {
        restart();
        int code = run(c.line);
        std::string described = c.line.empty() ? "(none)" : std::string(c.line[0]) + " ...";
        EXPECT_EQ(banner.rfind("FraskPdfCmd Version 21.02 of Feb/17/2021 (Build 4548)\n", 0), 0u) << described;
        EXPECT_EQ(option("f") == nullptr, c.permissionSet) << described;
        EXPECT_EQ(option("o") == nullptr, c.permissionSet) << described;
        if (c.missing) {
            EXPECT_EQ(code, msg::InvalidOption) << described;
            std::string usage = c.permissionSet ? PermissionUsage : FullUsage;
            EXPECT_EQ(output, usage + "\n" + messageOf(msg::InvalidOption) + " (Mandatory option '" + c.missing +
                                  "' is missing.)\n")
                << described;
            EXPECT_EQ(environment->aliveChecks, 0u) << described;
        } else {
            // The scripted Acrobat runs and the scripted task is not accessible.
            EXPECT_EQ(code, msg::TaskFileNotAccessible) << described;
            EXPECT_EQ(environment->submits, 1) << described;
        }
    }
}

TEST_F(ThisAppRun, SubmittedParametersKeepTheirKindsAndQuotedPathsStayWhole) {
    environment->states = {TaskState::Finished};
    EXPECT_EQ(run(TaskLine), 0);
    ParameterMap& p = environment->submitted;
    EXPECT_EQ(p["f"].asNumber(), 10u);
    EXPECT_EQ(p["k"].asText(), "LS");
    EXPECT_TRUE(p["nw"].empty());
    EXPECT_EQ(p["o"].asPath(), "C:\\out");
    EXPECT_EQ(p["i"].asPath(), "C:\\docs\\*.pdf");
    restart();
    environment->states = {TaskState::Finished};
    EXPECT_EQ(run({"-f:1", "-p:2", "-k:LS", "-o:C:\\my out\\", "\"-i:C:\\my docs\\*.pdf\""}), 0);
    ParameterMap& q = environment->submitted;
    ASSERT_EQ(q.size(), 5u);
    EXPECT_EQ(q["o"].asPath(), "C:\\my out\\");
    EXPECT_EQ(q["i"].asPath(), "C:\\my docs\\*.pdf");
}

TEST(ThisAppRewrite, MovesTheQuoteBehindTheColonOfIAndO) {
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"-f:1 \"-i:C:\\a b\\*.pdf\"", "-f:1 -i:\"C:\\a b\\*.pdf\""},
        {"\"/o:C:\\x y\\\" \"/i:C:\\a b\"", "/o:\"C:\\x y\\\" /i:\"C:\\a b\""},
        {"\"-o:a b\" \"-o:c d\"", "-o:\"a b\" -o:\"c d\""},
        {"\"-I:a b\" \"-k:a b\"", "\"-I:a b\" \"-k:a b\""},
        {"\"\"-i:x", "\"-i:\"x"},
        {"-i:C:\\in", "-i:C:\\in"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ThisApp::rewriteArguments(c.text), c.expected) << c.text;
    }
}

// Task runs: scripted Acrobat answers and poll states (an error raised by the last poll instead
// of its state), the console after the banner as a regular expression, and what was waited for.
TEST_F(ThisAppRun, TaskRunsFromSubmissionToTheirEnd) {
    const std::size_t any = static_cast<std::size_t>(-1);
    const std::string created = "Created a task for FraskPdf: Task Id 417\nWaiting for finish ";
    const std::string permission = "Created a permission extract task for FraskPdf: Task Id 417\nWaiting for finish ";
    const std::string finished = "\nTask finished at " + DateTimePattern + "\n";
    const std::string notAccepted = "\nTask was not accepted: " + DateTimePattern + "\n";
    const std::vector<std::string> plainNames{"f", "i", "k", "nw", "o", "p"};
    std::vector<TaskState> tenRequestsThreeAccepted(10, TaskState::Request);
    tenRequestsThreeAccepted.insert(tenRequestsThreeAccepted.end(), 3, TaskState::Accepted);
    tenRequestsThreeAccepted.push_back(TaskState::Request);
    struct Case {
        std::vector<const char*> front; // options before TaskLine
        std::vector<bool> acrobat;
        std::vector<TaskState> states;
        int error; // raised by the last poll; 0 for none
        const char* argument;
        int code;
        std::string output;
        std::size_t polls, sleeps, aliveChecks; // any: not checked
        std::vector<std::string> names;         // submitted option names; empty: not checked
    } cases[] = {
        // clang-format off
        {{}, {true}, {TaskState::Request, TaskState::Accepted, TaskState::Accepted, TaskState::Finished}, 0, "", 0,
         created + "\\.!!" + finished, 4, 5, any, plainNames},
        {{"-readpermissions"}, {true}, {TaskState::Finished}, 0, "", 0, permission + finished, any, 2, any, {}},
        {{"-READPERMISSIONS"}, {true}, {TaskState::Finished}, 0, "", 0, permission + finished, any, any, any,
         {"f", "i", "k", "nw", "o", "p", "readpermissions"}},
        {{"-restartacrobatevery:0"}, {true}, {TaskState::Request}, 0, "", msg::FreeFatalError, created + "\\.{15}" + notAccepted, 15,
         16, any, {}},
        // Countdowns are not reset by a change of state, and three Accepted polls reach no Acrobat check.
        {{}, {true}, tenRequestsThreeAccepted, 0, "", msg::FreeFatalError, created + "\\.{10}!!!\\.{5}" + notAccepted, 18, any, 1, {}},
        // Acrobat is checked before submission and at every fifth Accepted poll.
        {{}, {true, true, false}, {TaskState::Accepted}, 0, "", msg::AcrobatNotRunning,
         created + "!{10}\n" + quoted(messageOf(msg::AcrobatNotRunning)) + "\n", 10, any, 3, {}},
        {{}, {false}, {}, 0, "", msg::AcrobatNotRunning, "\n" + quoted(messageOf(msg::AcrobatNotRunning)) + "\n", 0, any, any, {}},
        {{}, {true}, {TaskState::Accepted, TaskState::Error}, 0, "", 0,
         created + "!\nTask aborted at " + DateTimePattern + "\n", any, any, any, {}},
        {{}, {true}, {TaskState::Accepted, TaskState::NotAccessible}, 0, "", msg::TaskFileNotAccessible,
         created + "!\n" + quoted(messageOf(msg::TaskFileNotAccessible)) + " \\(\\)\n", any, any, any, {}},
        {{}, {true}, {TaskState::Accepted, TaskState::Error}, msg::OutputNotFolder, "C:\\t\\Task417.ovc", msg::OutputNotFolder,
         created + "!\n.*OV3503.* \\(C:\\\\t\\\\Task417\\.ovc\\)\n", any, any, any, {}},
        {{}, {true}, {TaskState::Error}, msg::FreeFatalError, "Unkown state in task request file", msg::FreeFatalError,
         created + "\n.* \\(Unkown state in task request file\\)\n", any, any, any, {}},
        // clang-format on
    };
    for (const Case& c : cases) {
        restart();
        SCOPED_TRACE(c.output);
        environment->acrobat = c.acrobat;
        environment->states = c.states;
        if (c.error) {
            environment->pollError = std::make_unique<ovs::Exception>(c.error, c.argument);
        }
        std::vector<const char*> line(c.front);
        line.insert(line.end(), TaskLine.begin(), TaskLine.end());
        EXPECT_EQ(run(line), c.code);
        EXPECT_TRUE(std::regex_match(output, std::regex(c.output))) << output;
        EXPECT_EQ(environment->submits, c.polls == 0 ? 0 : 1);
        EXPECT_EQ(environment->restarts, 0);
        if (c.polls != any) {
            EXPECT_EQ(environment->polls, c.polls);
        }
        if (c.sleeps != any) {
            EXPECT_EQ(SleepRecorder::sleeps(), std::vector<DWORD>(c.sleeps, 2000));
        }
        if (c.aliveChecks != any) {
            EXPECT_EQ(environment->aliveChecks, c.aliveChecks);
        }
        if (!c.names.empty()) {
            std::vector<std::string> names;
            for (const auto& entry : environment->submitted) {
                names.push_back(entry.first);
            }
            EXPECT_EQ(names, c.names);
        }
    }
}

TEST_F(ThisAppRun, RestartRuleComparesTheTasksDocumentCount) {
    struct Case {
        const char* option; // null: restartacrobatevery not given
        std::int32_t documents;
        TaskState end;
        bool restart;
    } cases[] = {
        {"-restartacrobatevery:0", 0, TaskState::Finished, true},
        {"-restartacrobatevery:0", 0, TaskState::Error, true},
        {"-restartacrobatevery:5", 4, TaskState::Finished, false},
        {"-restartacrobatevery:5", 5, TaskState::Finished, true},
        {"-restartacrobatevery:0x10", 17, TaskState::Finished, true},
        {nullptr, 100, TaskState::Finished, false},
    };
    for (const Case& c : cases) {
        restart();
        environment->states = {c.end};
        environment->documents = c.documents;
        std::vector<const char*> line(TaskLine);
        if (c.option) {
            line.insert(line.begin(), c.option);
        }
        EXPECT_EQ(run(line), 0);
        std::string countLine = " Whole number of processed documents: " + std::to_string(c.documents) + "\n";
        EXPECT_EQ(output.find(countLine) != std::string::npos, c.option != nullptr) << output;
        bool restartLine =
            std::regex_search(output, std::regex("\n Trying to restart acrobat at " + DateTimePattern + "\n$"));
        EXPECT_EQ(restartLine, c.restart) << output;
        EXPECT_EQ(environment->restarts, c.restart ? 1 : 0) << (c.option ? c.option : "none");
    }
}

// A submission that fails leaves the announcement without an id.
class FailingSubmission : public ScriptedEnvironment {
public:
    std::uint32_t submitTask(RequestTask&, const ParameterMap&) override {
        throw ovs::Exception(msg::FreeFatalError, "Unkown type");
    }
};

TEST_F(ThisAppRun, FailingSubmitLeavesTheAnnouncementWithoutId) {
    app->setEnvironment(std::make_unique<FailingSubmission>());
    EXPECT_EQ(run(TaskLine), msg::FreeFatalError);
    EXPECT_EQ(output, "Created a task for FraskPdf: Task Id \n" + messageOf(msg::FreeFatalError, "Unkown type") +
                          " (Unkown type)\n");
}

} // namespace
