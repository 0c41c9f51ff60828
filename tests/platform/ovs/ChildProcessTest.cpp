// The program runner the end-to-end tests rely on: arguments and environment reach the
// child, its output comes back, and its exit code arrives in full where the platform keeps it.
#include "Conformance.h"
#include "TestFolders.h"
#include "TestPrograms.h"

#include <gtest/gtest.h>
#include <stdexcept>

using ovs::platform::ChildProcess;

namespace {

ChildProcess::Options probe(std::vector<std::string> arguments, const char* program = "ChildProbe.exe") {
    ChildProcess::Options options;
    options.program = ovs::test::programPath(program);
    options.arguments = std::move(arguments);
    return options;
}

// The child's output with the carriage returns of a Windows console dropped.
std::string outputOf(const ChildProcess::Options& options) {
    std::string output;
    ovs::platform::runProgram(options, output);
    return ovs::test::withoutCarriageReturns(output);
}

TEST(ChildProcess, ExitCodesArriveInFullWhereThePlatformKeepsThem) {
    // POSIX keeps the low 8 bits of an exit status; GetExitCodeProcess keeps all 32.
    const bool full = !ovs::platform::isPosixSubstitute();
    for (std::uint32_t code : {0u, 1u, 255u, 1000u, 3000u, 3505u, 0x7fffffffu}) {
        std::string output;
        EXPECT_EQ(full ? code : code & 0xffu, ovs::platform::runProgram(probe({std::to_string(code)}), output)) << code;
    }
}

TEST(ChildProcess, ArgumentsAndEnvironmentArriveUnchanged) {
    const std::vector<std::string> texts{"plain", "with blank", "trailing\\", "-i:C:\\in dir\\", "a\"quote", ""};
    std::vector<std::string> arguments{"0"};
    arguments.insert(arguments.end(), texts.begin(), texts.end());
    std::string expected;
    for (const std::string& text : texts) {
        expected += text + "\n";
    }
    EXPECT_EQ(expected + "OVS_PROBE=<unset>\nto stderr\n", outputOf(probe(arguments)));
    // The environment is added for the child, or inherited from ours.
    ChildProcess::Options options = probe({"0"});
    options.environment = {{"OVS_PROBE", "given"}};
    EXPECT_EQ("OVS_PROBE=given\nto stderr\n", outputOf(options));
    const ovs::test::ScopedVariable inherited("OVS_PROBE", "inherited");
    EXPECT_EQ("OVS_PROBE=inherited\nto stderr\n", outputOf(probe({"0"})));
}

TEST(ChildProcess, OutputFileReceivesTheOutputInsteadOfTheCaller) {
    ovs::test::TempFolder folder;
    ChildProcess::Options options = probe({"7", "logged"});
    options.outputFile = folder / "child.log";
    ChildProcess child(options);
    child.wait();
    EXPECT_EQ("", child.output());
    EXPECT_EQ("logged\nOVS_PROBE=<unset>\nto stderr\n",
              ovs::test::withoutCarriageReturns(ovs::test::fileBytes(folder.native() / "child.log").value_or("")));
    // A missing program cannot be started.
    EXPECT_THROW(ChildProcess missing(probe({}, "NoSuchProgram.exe")), std::runtime_error);
}

} // namespace
