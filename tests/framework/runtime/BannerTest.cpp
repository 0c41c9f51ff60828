// The banner of the real program: its first two console lines.
#include "platform/ChildProcess.h"
#include "platform/PlatformInfo.h"
#include "TestPrograms.h"

#include <gtest/gtest.h>

TEST(Banner, FirstTwoLinesOfTheProgram) {
    ovs::platform::ChildProcess::Options options;
    options.program = ovs::test::programPath(ovs::platform::isPosixSubstitute() ? "FraskPdfCmd" : "FraskPdfCmd.exe");
    // An unknown clear mode ends the run before any task or Acrobat handling.
    options.arguments = {"-clear:NOTHING"};
    std::string output;
    ovs::platform::runProgram(options, output);
    output = ovs::test::withoutCarriageReturns(output);
    EXPECT_EQ(0u, output.find("FraskPdfCmd Version 21.02 of Feb/17/2021 (Build 4548)\n"
                              "Copyright (c) 2007-2021 ORVA-SYSTEMS\n"))
        << output;
}
