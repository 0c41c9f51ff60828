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
#include "platform/PlatformCalls.h"
#include "runtime/Console.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

namespace {

using ovs::test::IdleProcess;
using ovs::test::runsNatively;
using ovs::test::runsUnderWow64;
using ovs::test::setValue;
using ovs::test::SleepRecorder;
using ovs::test::TempFolder;
using ovs::test::VisibleProcesses;
using ovs::test::wow64QueryFails;

const char* const appPathKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Acrobat.exe";
const char* const settingsKey = "SOFTWARE\\ORVA-SYSTEMS\\Veilgard\\Veilgard|PDF\\CurrentVersion\\Settings";
// Their twins, which a 32-bit Acrobat's installer fills on 64-bit Windows.
const char* const appPathTwin = "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Acrobat.exe";
const char* const settingsTwin =
    "SOFTWARE\\Wow6432Node\\ORVA-SYSTEMS\\Veilgard\\Veilgard|PDF\\CurrentVersion\\Settings";

class AcrobatControl : public testing::Test {
protected:
    void SetUp() override {
        SleepRecorder::sleeps().clear();
        SleepRecorder::realWait() = 50; // each wait only a moment
        saved_ = ovs::console().rdbuf(output_.rdbuf());
        calls_ = ovs::systemPlatformCalls();
        calls_.sleep = &SleepRecorder::sleep;
    }
    void TearDown() override {
        ovs::console().rdbuf(saved_);
        ovs::test::deleteKeyTree(HKEY_LOCAL_MACHINE, appPathKey);
        ovs::test::deleteKeyTree(HKEY_LOCAL_MACHINE, settingsKey);
        for (const char* key : {appPathTwin, settingsTwin}) {
            ovs::test::deleteKeyTreeInView(HKEY_LOCAL_MACHINE, "SOFTWARE", std::string(key).substr(9), KEY_WOW64_32KEY);
        }
    }
    // A copy of the idle program under fileName, started and made visible.
    std::unique_ptr<IdleProcess> startCopy(const TempFolder& folder, const std::string& fileName) {
        auto idle = std::make_unique<IdleProcess>(ovs::test::copyIdleProgram(folder, fileName));
        EXPECT_TRUE(idle->started());
        VisibleProcesses::show(idle->id());
        return idle;
    }
    std::string output() const { return output_.str(); }

    ovs::PlatformCalls calls_; // with the recording Sleep; installed by a test with ovs::ScopedPlatformCalls
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
            setValue(HKEY_LOCAL_MACHINE, appPathKey, "", c.appPath,
                     c.appPath == std::string("\7\0\0\0", 4) ? REG_DWORD : REG_SZ);
        }
        if (!c.installFolder.empty()) {
            setValue(HKEY_LOCAL_MACHINE, settingsKey, "InstallFolder", c.installFolder);
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

// Under WOW64 the tool reads the Wow6432Node twins in the 32-bit view, where a 32-bit Acrobat's
// installer writes (the plain path in its own view); a key only a 64-bit installer wrote is not
// taken. Without WOW64, and when IsWow64Process fails, the plain keys are read in the program's
// own view. The WOW64 answer is put in place; under Wine the views are Windows' own (the x64
// build reaches the 32-bit one through the flag the tool adds), natively the substitute's one
// view, where Wow6432Node is a key name like any other. A row's fixture is the App Paths value
// (an existing file) or the install folder C:\A\B, written at the plain path or the twin in
// one view. App Paths is one key in both views from Windows 7 on (see the registry view
// conformance test), so only its twin is a case of its own.
TEST_F(AcrobatControl, UnderWow64TheKeysOfA32BitInstallerAreRead) {
    enum Where { PlainIn32, PlainIn64, TwinIn32 };
    struct Case {
        const char* name;
        BOOL(WINAPI* answer)(HANDLE, PBOOL);
        bool appPath; // else the install folder
        Where where;
        bool oneView, x64, x86; // found natively, by the x64 build, by the x86 build under WOW64
    } const cases[] = {
        // clang-format off
        {"WOW64: a 32-bit installer's folder", runsUnderWow64, false, PlainIn32, false, true, true},
        {"WOW64: the twin of the folder", runsUnderWow64, false, TwinIn32, true, true, true},
        {"WOW64: a 64-bit installer's folder", runsUnderWow64, false, PlainIn64, false, false, false},
        {"WOW64: the twin of App Paths", runsUnderWow64, true, TwinIn32, true, true, true},
        {"no WOW64: a 64-bit installer's folder", runsNatively, false, PlainIn64, true, true, false},
        {"no WOW64: a 32-bit installer's folder", runsNatively, false, PlainIn32, true, false, true},
        {"failing query: a 64-bit installer's folder", wow64QueryFails, false, PlainIn64, true, true, false},
        {"failing query: the twin of the folder", wow64QueryFails, false, TwinIn32, false, false, true},
        // clang-format on
    };
    const std::string installed = ovs::test::copyIdleProgram(folder_, "Acrobat.exe");
    const bool twoViews = ovs::test::registryHasTwoViews();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* key : {appPathKey, settingsKey, appPathTwin, settingsTwin}) {
            for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
                ovs::test::deleteKeyTreeInView(HKEY_LOCAL_MACHINE, "SOFTWARE", std::string(key).substr(9), view);
            }
        }
        const char* key =
            c.where == TwinIn32 ? (c.appPath ? appPathTwin : settingsTwin) : (c.appPath ? appPathKey : settingsKey);
        setValue(HKEY_LOCAL_MACHINE, key, c.appPath ? "" : "InstallFolder", c.appPath ? installed : "C:\\A\\B", REG_SZ,
                 c.where == PlainIn64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY);
        calls_.isWow64Process = c.answer;
        ovs::ScopedPlatformCalls scoped(calls_);
        const bool found = !twoViews ? c.oneView : sizeof(void*) == 4 ? c.x86 : c.x64;
        EXPECT_EQ(!found ? "" : c.appPath ? installed : "C:\\A\\Acrobat.exe", std::string(Acrobat().executablePath()));
    }
}

// The tool's own WOW64 query with the system's IsWow64Process: true for the 32-bit build on
// 64-bit Windows, whose environment names the machine's architecture in PROCESSOR_ARCHITEW6432
// ("WOW64 Implementation Details", Microsoft's Win32 documentation); false for any other build.
TEST_F(AcrobatControl, TheToolRunsUnderWow64ExactlyAsA32BitProgramOn64BitWindows) {
    const bool wow64 =
        !ovs::platform::isPosixSubstitute() && sizeof(void*) == 4 && std::getenv("PROCESSOR_ARCHITEW6432") != nullptr;
    EXPECT_EQ(wow64, ovs::isWow64Process());
    if (!wow64) {
        GTEST_SKIP() << "runs under WOW64 only as the 32-bit Windows build on 64-bit Windows";
    }
}

TEST_F(AcrobatControl, StartGivesUpAtTheThirtyFirstWait) {
    setValue(HKEY_LOCAL_MACHINE, appPathKey, "", ovs::test::copyIdleProgram(folder_, "Acrobat.exe"));
    calls_.shellExecuteEx = failingShellExecuteEx;
    ovs::ScopedPlatformCalls scoped(calls_);
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
    setValue(HKEY_LOCAL_MACHINE, appPathKey, "", ovs::test::copyIdleProgram(other, "Acrobat.exe"));
    calls_.shellExecuteEx = unexpectedShellExecuteEx;
    ovs::ScopedPlatformCalls scoped(calls_);
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
    ovs::ScopedPlatformCalls scoped(calls_);
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
