// The real program's command-line outcomes: console text after the banner and the exit code,
// which POSIX cuts to its low 8 bits while Windows keeps all 32.
#include "TestPrograms.h"
#include "platform/ChildProcess.h"
#include "platform/PlatformInfo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ProgramCase {
    std::vector<std::string> arguments;
    std::uint32_t exitCode; // as Windows reports it
    const char* lastLine;
};

TEST(CommandLineProgram, ExitCodesAndLastLines) {
    const ProgramCase cases[] = {
        {{}, 2001, "FraskPdfCmd: error OV2001 - invalid option. (Mandatory option 'f' is missing.)"},
        {{"-clear:all"}, 1, "Unkown option for clear:all"},
        {{"-f:1", "-p:2", "-k:LS", "-i:C:\\in\\*.pdf", "-o:C:\\out"},
         2001,
         "FraskPdfCmd: error OV2001 - invalid option. (Mandatory option 'o' is missing.)"},
        {{"-readpermissions"}, 2001, "FraskPdfCmd: error OV2001 - invalid option. (Mandatory option 'i' is missing.)"},
    };
    bool posix = ovs::platform::isPosixSubstitute();
    for (const ProgramCase& c : cases) {
        ovs::platform::ChildProcess::Options options;
        options.program = ovs::test::programPath(posix ? "FraskPdfCmd" : "FraskPdfCmd.exe");
        options.arguments = c.arguments;
        std::string output;
        std::uint32_t code = ovs::platform::runProgram(options, output);
        output = ovs::test::withoutCarriageReturns(output);
        std::string described = c.arguments.empty() ? "(no arguments)" : c.arguments[0];
        EXPECT_EQ(code, posix ? (c.exitCode & 0xFF) : c.exitCode) << described;
        ASSERT_GE(output.size(), 1u) << described;
        std::size_t lineStart = output.rfind('\n', output.size() - 2);
        EXPECT_EQ(output.substr(lineStart + 1), std::string(c.lastLine) + "\n") << described;
    }
}

} // namespace
