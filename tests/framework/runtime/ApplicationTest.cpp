// The application base: argument joining, the program path, and the process run with its
// exit codes. Process runs end the process, so each runs in a child: this test program
// started again with a filter that selects one of the disabled scenario tests below.
#include "runtime/Application.h"
#include "MessageNumbers.h"
#include "TestPrograms.h"
#include "platform/ChildProcess.h"
#include "platform/Win32.h"
#include "runtime/AutoInit.h"
#include "runtime/Console.h"
#include "runtime/ShutdownRelease.h"
#include "runtime/Singleton.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>

namespace {

TEST(ApplicationArguments, JoinWithBlanksAndQuoteWhereNeededAndTheProgramPathIsAbsoluteWithExe) {
    const std::pair<std::vector<const char*>, const char*> cases[] = {
        {{"tool"}, ""},
        {{"tool", ""}, ""},
        {{"tool", "a", "b c", "\"d e\""}, "a \"b c\" \"d e\""},
        {{"tool", "tab\there", "line\nfeed", "", "x"}, "\"tab\there\" \"line\nfeed\"  x"},
        {{"tool", "-i:C:\\in dir\\*.pdf", "-o:out"}, "\"-i:C:\\in dir\\*.pdf\" -o:out"},
        {{}, ""},
    };
    for (const auto& [argv, joined] : cases) {
        EXPECT_EQ(joined, ovs::Application::joinArguments(static_cast<int>(argv.size()), argv.data()));
    }
    EXPECT_EQ(ovs::FileString("tool.exe").absolute(), ovs::Application::programPathFrom("tool"));
    EXPECT_EQ(ovs::FileString("TOOL.EXE").absolute(), ovs::Application::programPathFrom("TOOL.EXE"));
    EXPECT_EQ(ovs::FileString("tool.txt.exe").absolute(), ovs::Application::programPathFrom("tool.txt"));
    EXPECT_EQ(ovs::FileString(".exe").absolute(), ovs::Application::programPathFrom(nullptr));
}

// --- Scenarios run in a child -----------------------------------------------------------

std::string chosen; // the scenario this child runs
// Objects that report their own end, to show the shutdown order.
struct InitialiserTracer {
    InitialiserTracer() { trace("initialiser created\n"); }
    ~InitialiserTracer() { trace("initialiser cleaned up\n"); }
    static void trace(const char* text) {
        if (chosen == "ShutdownOrder") {
            std::printf("%s", text);
        }
    }
};
struct SingletonTracer {
    ~SingletonTracer() { std::printf("singleton deleted\n"); }
};
void releaseTracer() {
    std::printf("released, console %s\n", ovs::consoleExists() ? "alive" : "gone");
}

// Registered during static initialisation like the framework's own initialisers.
[[maybe_unused]] ovs::AutoInitBase* const tracerInitialiser = new ovs::AutoInit<InitialiserTracer>;

class ScenarioApp : public ovs::Application {
public:
    ScenarioApp() : ovs::Application("OV", "FraskPdfCmd") {}
    bool initialise() override { return ovs::Application::initialise() && chosen != "FailInitialise"; }
    bool finish() override { return chosen != "FailFinish"; }
    int run() override {
        ovs::console() << "command line [" << commandLine() << "]" << std::endl;
        if (chosen == "ThrowFileNotFound") {
            throw ovs::Exception(ovs::msg::FileNotFound, "x.txt");
        } else if (chosen == "ThrowStd") {
            throw std::runtime_error("plain failure");
        } else if (chosen == "AbortByUser" || chosen == "AbortSilently") {
            throw ovs::AbortException(chosen == "AbortByUser" ? 11 : 4);
        } else if (chosen == "BaseHooks") {
            // What a derived application inherits: every argument taken, not interactive, idle
            // time unused, a signal ends with 1; the console's prompt has no line end.
            onIdle();
            ovs::console() << "hooks " << acceptArgument("-x") << isInteractive() << onSignal(2) << std::endl;
            ovs::console().promptForKey();
            return 0;
        } else if (chosen == "ShutdownOrder") {
            ovs::TSingleton<SingletonTracer>::instance();
            ovs::registerShutdownRelease(releaseTracer);
            return 0;
        }
        return 5;
    }
};

const std::string clearedLine = "\r\r\t\t\t\t\t\t\t\t\t       \r";
const std::string commandLine = "command line [a \"b c\"]\n";

struct RunCase {
    const char* scenario;
    std::uint32_t exitCode;
    std::string output; // line ends as "\n"
};

const RunCase runs[] = {
    {"ReturnFive", 5, commandLine},
    {"ThrowFileNotFound", 3, commandLine + "FraskPdfCmd: fatal error OV1001 - file x.txt not found.\n"},
    {"ThrowStd", 3, commandLine + "FraskPdfCmd: plain failure\n"},
    {"AbortByUser", 11, commandLine + clearedLine + "FraskPdfCmd: aborted by user\n"},
    {"AbortSilently", 4, commandLine},
    {"FailInitialise", 0, ""},
    {"ShutdownOrder", 0,
     "initialiser created\n" + commandLine + "initialiser cleaned up\nsingleton deleted\nreleased, console gone\n"},
    {"BaseHooks", 0, commandLine + "hooks 101\n[Press any key to continue]"},
    {"FailFinish", 2, commandLine},
    {"NoApplication", 1, "Aborted: no object\n"},
};

// The scenario itself: run only as a child of ProcessRun below, which selects it by a filter.
class ProcessRunChild : public testing::TestWithParam<RunCase> {};

TEST_P(ProcessRunChild, DISABLED_Run) {
    chosen = GetParam().scenario;
    const char* argv[] = {"tool", "a", "b c"};
    std::exit(ovs::runProcess(
        []() -> ovs::Application* {
            if (chosen == "NoApplication") {
                throw std::runtime_error("no object");
            }
            return new ScenarioApp;
        },
        chosen == "NoApplication" ? 1 : 3, argv));
}

class ProcessRun : public testing::TestWithParam<RunCase> {};

TEST_P(ProcessRun, ExitCodeAndConsoleLines) {
    const RunCase& c = GetParam();
    char self[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    ovs::platform::ChildProcess::Options options;
    options.program = self;
    const std::string name = "Scenario/ProcessRunChild.DISABLED_Run/" + std::string(c.scenario);
    options.arguments = {"--gtest_also_run_disabled_tests", "--gtest_color=no", "--gtest_filter=" + name};
    std::string output;
    EXPECT_EQ(c.exitCode, ovs::platform::runProgram(options, output)) << output;
    // Everything the test framework printed before the scenario started is left out; line ends
    // as the C runtime writes them: "\r\n" on Windows.
    std::size_t at = output.find("[ RUN      ] " + name);
    ASSERT_NE(std::string::npos, at) << output;
    at = output.find('\n', at);
    output = at == std::string::npos ? std::string() : output.substr(at + 1);
    for (at = output.find("\r\n"); at != std::string::npos; at = output.find("\r\n", at)) {
        output.erase(at, 1);
    }
    EXPECT_EQ(c.output, output);
}

const auto scenarioName = [](const testing::TestParamInfo<RunCase>& info) { return std::string(info.param.scenario); };
INSTANTIATE_TEST_SUITE_P(Scenario, ProcessRunChild, testing::ValuesIn(runs), scenarioName);
INSTANTIATE_TEST_SUITE_P(Scenario, ProcessRun, testing::ValuesIn(runs), scenarioName);

} // namespace
