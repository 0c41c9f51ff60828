// The inspector's command line as an operator types it: help, a mistyped option, a folder
// that was never created, and folders given with blanks or (on POSIX) as Unix paths.
#include "InspectorApp.h"
#include "TaskTestFolder.h"
#include "TestPrograms.h"
#include "platform/ChildProcess.h"
#include "platform/PlatformInfo.h"

namespace {

struct InspectorRun {
    std::uint32_t exitCode;
    std::string output;
};

InspectorRun runInspector(const std::vector<std::string>& arguments) {
    ovs::platform::ChildProcess::Options options;
    options.program =
        ovs::test::programPath(ovs::platform::isPosixSubstitute() ? "FraskPdfTasks" : "FraskPdfTasks.exe");
    options.arguments = arguments;
    InspectorRun run{};
    run.exitCode = ovs::platform::runProgram(options, run.output);
    run.output = ovs::test::withoutCarriageReturns(run.output);
    return run;
}

// What the caller sees of an exit code: all of it on Windows, its low 8 bits on POSIX.
std::uint32_t seen(std::uint32_t code) {
    return ovs::platform::isPosixSubstitute()
               ? static_cast<std::uint32_t>(ovs::platform::processExitStatus(static_cast<std::int32_t>(code)))
               : code;
}

} // namespace

TEST(InspectorCommandLine, HelpMistakesAndFoldersGiveTheirLineAndExitCode) {
    TaskTestFolder folder;
    folder.write("Task1.ovc", "damaged");
    const std::string shown = ovs::platform::nativePathOf(folder.path());
    const std::string missing = folder.temp() / "never created";
    const std::string noFolder =
        "Task folder " + ovs::platform::nativePathOf(missing) + ": no task files (the folder does not exist)\n";
    const std::string help = InspectorApp::helpText(shown);
    const std::uint32_t Bad = InspectorApp::BadCommandLine;
    const auto refused = [](const std::string& what) {
        return "FraskPdfTasks: " + what + "; FraskPdfTasks -help lists the options.\n";
    };
    const std::string unknown = "unknown option ", needs = " needs a folder: -folder:FOLDER";
    struct Case {
        std::vector<std::string> arguments;
        std::uint32_t exitCode;
        std::string output; // exact, or the start of it when prefix is set
        bool prefix;
    } const cases[] = {
        {{"-help"}, 0, help, false},
        {{"-h"}, 0, help, false},
        {{"/?"}, 0, help, false},
        {{"-json", "-HELP"}, 0, help, false},
        {{"-jsn"}, Bad, refused(unknown + "'-jsn'"), false},
        {{"-json", "extra"}, Bad, refused(unknown + "'extra'"), false},
        {{"-help:x"}, Bad, refused(unknown + "'-help:x'"), false},
        {{"-folder"}, Bad, refused("option '-folder'" + needs), false},
        {{"-folder:"}, Bad, refused("option '-folder:'" + needs), false},
        // A folder that was never created holds no tasks: not an error.
        {{"-folder:" + missing}, 0, noFolder, false},
        {{"-json", "/folder:" + missing}, 0, "[]\n", false},
        // The folder's name holds a blank; damaged files do not change the exit code.
        {{"-folder:" + folder.path()}, 0, "Task folder " + shown + ": 1 task file\nID  STATE    AGE", true},
        {{"/FOLDER:" + folder.path(), "/json"}, 0, "[\n{\"id\":\"1\",\"kind\":\"task\",\"file\":", true},
        // A Unix path is the host's folder (natively; under Wine the same path in Windows form).
        {{"-folder:" + shown}, 0, "Task folder " + shown + ": 1 task file\nID  STATE    AGE", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.back());
        InspectorRun run = runInspector(c.arguments);
        EXPECT_EQ(seen(c.exitCode), run.exitCode) << run.output;
        EXPECT_EQ(c.output, c.prefix ? run.output.substr(0, c.output.size()) : run.output);
    }
}

TEST(InspectorCommandLine, ArgumentsAreSplitAsTheCommandLineGaveThem) {
    using List = std::vector<std::string>;
    struct Case {
        const char* joined;
        List arguments;
    } const cases[] = {
        {"", {}},
        {"-json  -h", {"-json", "-h"}},
        {"\"-folder:C:\\my tasks\" -json", {"-folder:C:\\my tasks", "-json"}},
        // An argument that held its own quotes (and no blank, so it was joined as it stood).
        {"-folder:\"/tmp/a\" -json", {"-folder:/tmp/a", "-json"}},
        {"\"\" x", {"", "x"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.arguments, InspectorApp::splitArguments(c.joined)) << c.joined;
    }
}
