// The Acrobat control against real processes (copies of the idle program named Acrobat.exe)
// and registry fixtures: natively in a private registry folder, under Wine in the registry
// of the build's prefix. Only processes started by the test are visible to it, and long
// waits go through a Sleep of the test's own.
#include "Acrobat.h"
#include "MessageNumbers.h"
#include "ProcessTestSupport.h"
#include "RegistryTestSupport.h"
#include "TaskTestFolder.h"
#include "VisibleProcesses.h"
#include "process/ProcessCalls.h"
#include "runtime/Console.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

namespace {

using ovs::test::IdleProcess;
using ovs::test::setMachineValue;
using ovs::test::SleepRecorder;
using ovs::test::TempFolder;
using ovs::test::VisibleProcesses;

const char* const appPathKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Acrobat.exe";
const char* const settingsKey = "SOFTWARE\\ORVA-SYSTEMS\\Veilgard\\Veilgard|PDF\\CurrentVersion\\Settings";

class AcrobatControl : public testing::Test {
protected:
    void SetUp() override {
        SleepRecorder::sleeps().clear();
        SleepRecorder::realWait() = 50; // each wait only a moment
        saved_ = ovs::console().rdbuf(output_.rdbuf());
        calls_ = ovs::systemProcessCalls();
        calls_.sleep = &SleepRecorder::sleep;
    }
    void TearDown() override {
        ovs::console().rdbuf(saved_);
        ovs::test::deleteKeyTree(HKEY_LOCAL_MACHINE, appPathKey);
        ovs::test::deleteKeyTree(HKEY_LOCAL_MACHINE, settingsKey);
    }
    // A copy of the idle program under fileName, started and made visible.
    std::unique_ptr<IdleProcess> startCopy(const TempFolder& folder, const std::string& fileName) {
        auto idle = std::make_unique<IdleProcess>(ovs::test::copyIdleProgram(folder, fileName));
        EXPECT_TRUE(idle->started());
        VisibleProcesses::show(idle->id());
        return idle;
    }
    std::string output() const { return output_.str(); }

    ovs::ProcessCalls calls_; // with the recording Sleep; installed by a test with ovs::ScopedProcessCalls
    ovs::test::PrivateRegistry registry_;
    VisibleProcesses visible_;
    TempFolder folder_;
    std::ostringstream output_;
    std::streambuf* saved_ = nullptr;
};

// The registry is read for text values of any length; a value of another type counts as unset.
// Without an executable a start fails before printing anything, although Acrobat runs.
TEST_F(AcrobatControl, ExecutablePathFromAppPathsOrFromTheInstallFolder) {
    auto running = startCopy(folder_, "Acrobat.exe");
    const std::string installed = folder_ / "Acrobat.exe";
    const std::string deep = "C:\\" + std::string(300, 'x');
    struct Case {
        const char* name;
        std::string appPath;       // empty: not set
        std::string installFolder; // empty: not set
        std::string expected;
    };
    const Case cases[] = {
        {"existing App Paths file", installed, "C:\\Programs\\Acrobat\\plug_ins", installed},
        {"nothing set", "", "", ""},
        {"install folder", "", "C:\\Programs\\Acrobat\\plug_ins", "C:\\Programs\\Acrobat\\Acrobat.exe"},
        {"install folder with separator", "", "C:\\Programs\\Acrobat\\plug_ins\\",
         "C:\\Programs\\Acrobat\\plug_ins\\Acrobat.exe"},
        {"App Paths file missing", folder_ / "Missing.exe", "C:\\A\\B", "C:\\A\\Acrobat.exe"},
        {"App Paths value quoted", "\"" + installed + "\"", "C:\\A\\B", "C:\\A\\Acrobat.exe"},
        {"App Paths names a folder", folder_.path(), "", ""},
        {"App Paths value a number", std::string("\7\0\0\0", 4), deep + "\\B", deep + "\\Acrobat.exe"},
    };
    for (const Case& c : cases) {
        ovs::test::deleteKeyTree(HKEY_LOCAL_MACHINE, appPathKey);
        ovs::test::deleteKeyTree(HKEY_LOCAL_MACHINE, settingsKey);
        if (!c.appPath.empty()) {
            setMachineValue(appPathKey, "", c.appPath, c.appPath == std::string("\7\0\0\0", 4) ? REG_DWORD : REG_SZ);
        }
        if (!c.installFolder.empty()) {
            setMachineValue(settingsKey, "InstallFolder", c.installFolder);
        }
        EXPECT_EQ(c.expected, std::string(Acrobat().executablePath())) << c.name;
        if (c.expected.empty()) {
            expectError([] { Acrobat().start(); }, ovs::msg::AcrobatNotStarted, "");
        }
    }
    EXPECT_EQ("", output());
}

// Stand-ins for the process calls: WINAPI functions, since a lambda does not convert to the
// table's stdcall pointers in a 32-bit build.
BOOL WINAPI failingShellExecuteEx(SHELLEXECUTEINFOA*) {
    return FALSE;
}

BOOL WINAPI unexpectedShellExecuteEx(SHELLEXECUTEINFOA*) {
    ADD_FAILURE() << "launched although Acrobat runs";
    return FALSE;
}

BOOL WINAPI failingTerminateProcess(HANDLE, UINT) {
    return FALSE;
}

TEST_F(AcrobatControl, StartGivesUpAtTheThirtyFirstWait) {
    setMachineValue(appPathKey, "", ovs::test::copyIdleProgram(folder_, "Acrobat.exe"));
    calls_.shellExecuteEx = failingShellExecuteEx;
    ovs::ScopedProcessCalls scoped(calls_);
    expectError([] { Acrobat().start(); }, ovs::msg::AcrobatNotStarted);
    EXPECT_EQ("Starting acrobat, please wait\n", output());
    EXPECT_EQ(std::vector<DWORD>(32, 2000), SleepRecorder::sleeps());
}

// Acrobat is found whatever the case of its name; a start while it runs launches nothing; a
// stop ends the first of two and returns once it has ended.
TEST_F(AcrobatControl, IsRunningStartAndStopFindAcrobatWhateverTheCase) {
    EXPECT_FALSE(Acrobat().isRunning());
    EXPECT_FALSE(Acrobat().stop());
    EXPECT_EQ("", output());
    TempFolder other;
    auto first = startCopy(folder_, "acrobat.EXE");
    EXPECT_TRUE(Acrobat().isRunning());
    setMachineValue(appPathKey, "", ovs::test::copyIdleProgram(other, "Acrobat.exe"));
    calls_.shellExecuteEx = unexpectedShellExecuteEx;
    ovs::ScopedProcessCalls scoped(calls_);
    EXPECT_TRUE(Acrobat().start());
    EXPECT_EQ("Acrobat already running\n", output());
    output_.str("");
    auto second = startCopy(other, "Acrobat.exe");
    EXPECT_TRUE(Acrobat().stop());
    EXPECT_NE(first->running(), second->running()) << "exactly one of them ended";
    // Termination does not wait, so the check after it may still see the process: then a
    // wait follows, and a further try when the process is still there after it.
    const std::string once = "\nStopping Acrobat.exe - try 0\n";
    const std::size_t waits = SleepRecorder::sleeps().size();
    EXPECT_LE(waits, 1u);
    EXPECT_TRUE(output() == once || (waits == 1 && output() == once + "\nStopping Acrobat.exe - try 1\n")) << output();
    EXPECT_TRUE(Acrobat().isRunning());
}

TEST_F(AcrobatControl, StopThatCannotTerminateFailsAfterFourTries) {
    auto idle = startCopy(folder_, "Acrobat.exe");
    calls_.terminateProcess = failingTerminateProcess;
    ovs::ScopedProcessCalls scoped(calls_);
    expectError([] { Acrobat().stop(); }, ovs::msg::AcrobatNotStopped, "Unable to stop acrobat.exe process.");
    EXPECT_EQ("\nStopping Acrobat.exe - try 0\n"
              "\nStopping Acrobat.exe - try 1\n"
              "\nStopping Acrobat.exe - try 2\n"
              "\nStopping Acrobat.exe - try 3\n",
              output());
    EXPECT_EQ(std::vector<DWORD>(4, 2000), SleepRecorder::sleeps());
    EXPECT_TRUE(idle->running());
}

} // namespace
