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
using ovs::test::SleepRecorder;
using ovs::test::TempFolder;
using ovs::test::VisibleProcesses;

const char* const appPathKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Acrobat.exe";
const char* const settingsKey = "SOFTWARE\\ORVA-SYSTEMS\\Veilgard\\Veilgard|PDF\\CurrentVersion\\Settings";

void setText(const char* keyPath, const char* name, const std::string& text) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                            static_cast<DWORD>(text.size() + 1)));
    RegCloseKey(key);
}

// Makes every process that the Acrobat control launches visible to the test.
struct LaunchRecorder {
    static std::vector<DWORD>& launched() {
        static std::vector<DWORD> ids;
        return ids;
    }
    static BOOL WINAPI shellExecuteEx(SHELLEXECUTEINFOA* info) {
        BOOL result = ShellExecuteExA(info);
        if (result && info->hProcess != nullptr) {
            DWORD id = GetProcessId(info->hProcess);
            launched().push_back(id);
            VisibleProcesses::show(id);
        }
        return result;
    }
};

class AcrobatControl : public testing::Test {
protected:
    void SetUp() override {
        SleepRecorder::sleeps().clear();
        SleepRecorder::realWait() = 50; // each wait only a moment
        LaunchRecorder::launched().clear();
        saved_ = ovs::console().rdbuf(output_.rdbuf());
        calls_ = ovs::systemProcessCalls();
    }
    void TearDown() override {
        ovs::console().rdbuf(saved_);
        for (DWORD id : LaunchRecorder::launched()) {
            if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, id)) {
                TerminateProcess(process, 1);
                CloseHandle(process);
            }
        }
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

    ovs::ProcessCalls calls_; // installed by a test with ovs::ScopedProcessCalls
    ovs::test::PrivateRegistry registry_;
    VisibleProcesses visible_;
    TempFolder folder_;
    std::ostringstream output_;
    std::streambuf* saved_ = nullptr;
};

TEST_F(AcrobatControl, ExecutablePathFromAppPathsOrFromTheInstallFolder) {
    std::string installed = ovs::test::copyIdleProgram(folder_, "Acrobat.exe");
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
    };
    for (const Case& c : cases) {
        ovs::test::deleteKeyTree(HKEY_LOCAL_MACHINE, appPathKey);
        ovs::test::deleteKeyTree(HKEY_LOCAL_MACHINE, settingsKey);
        if (!c.appPath.empty()) {
            setText(appPathKey, "", c.appPath);
        }
        if (!c.installFolder.empty()) {
            setText(settingsKey, "InstallFolder", c.installFolder);
        }
        EXPECT_EQ(c.expected, std::string(Acrobat().executablePath())) << c.name;
    }
}

TEST_F(AcrobatControl, RegistryTextReadsTextValuesOnly) {
    const std::string longText(300, 'x');
    setText(settingsKey, "Long", longText);
    setText(settingsKey, "Short", "C:\\A");
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, settingsKey, 0, KEY_ALL_ACCESS, &key));
    const BYTE number[] = {7, 0, 0, 0};
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Number", 0, REG_DWORD, number, 4));
    RegCloseKey(key);
    const std::string full = std::string("HKEY_LOCAL_MACHINE\\") + settingsKey;
    struct Case {
        std::string path;
        const char* name;
        std::string expected;
    };
    const Case cases[] = {
        {full, "Short", "C:\\A"},
        {full, "Long", longText},
        {full, "Number", ""},
        {full, "Missing", ""},
        {std::string("HKLM\\") + settingsKey, "Short", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, readRegistryText(c.path, c.name)) << c.path << " " << c.name;
    }
}

TEST_F(AcrobatControl, StartWithoutAnInstalledAcrobatFailsBeforePrintingAnything) {
    auto idle = startCopy(folder_, "Acrobat.exe"); // running, but not installed
    expectError([] { Acrobat().start(); }, ovs::msg::AcrobatNotStarted, "");
    EXPECT_EQ("", output());
}

TEST_F(AcrobatControl, StartWhenAlreadyRunningLaunchesNothing) {
    setText(appPathKey, "", ovs::test::copyIdleProgram(folder_, "Acrobat.exe"));
    TempFolder other;
    auto idle = startCopy(other, "Acrobat.exe");
    calls_.shellExecuteEx = &LaunchRecorder::shellExecuteEx;
    ovs::ScopedProcessCalls scoped(calls_);
    EXPECT_TRUE(Acrobat().start());
    EXPECT_EQ("Acrobat already running\n", output());
    EXPECT_TRUE(LaunchRecorder::launched().empty());
}

TEST_F(AcrobatControl, StartLaunchesTheInstalledProgramAndReturnsOnceItRuns) {
    std::string installed = ovs::test::copyIdleProgram(folder_, "Acrobat.exe");
    setText(appPathKey, "", installed);
    calls_.shellExecuteEx = &LaunchRecorder::shellExecuteEx;
    ovs::ScopedProcessCalls scoped(calls_); // the first wait of 2 s is real
    EXPECT_TRUE(Acrobat().start());
    EXPECT_EQ("Starting acrobat, please wait\n", output());
    ASSERT_EQ(1u, LaunchRecorder::launched().size());
    EXPECT_TRUE(Acrobat().isRunning());
}

TEST_F(AcrobatControl, StartGivesUpAtTheThirtyFirstWait) {
    setText(appPathKey, "", ovs::test::copyIdleProgram(folder_, "Acrobat.exe"));
    calls_.shellExecuteEx = [](SHELLEXECUTEINFOA*) -> BOOL { return FALSE; };
    calls_.sleep = &SleepRecorder::sleep;
    ovs::ScopedProcessCalls scoped(calls_);
    expectError([] { Acrobat().start(); }, ovs::msg::AcrobatNotStarted);
    EXPECT_EQ("Starting acrobat, please wait\n", output());
    EXPECT_EQ(std::vector<DWORD>(32, 2000), SleepRecorder::sleeps());
}

TEST_F(AcrobatControl, IsRunningAndStopFindAcrobatWhateverTheCase) {
    EXPECT_FALSE(Acrobat().isRunning());
    EXPECT_FALSE(Acrobat().stop());
    EXPECT_EQ("", output());
    auto idle = startCopy(folder_, "acrobat.EXE");
    EXPECT_TRUE(Acrobat().isRunning());
}

TEST_F(AcrobatControl, StopEndsTheFirstOfTwoAndReturnsOnceItHasEnded) {
    TempFolder other;
    auto first = startCopy(folder_, "Acrobat.exe");
    auto second = startCopy(other, "Acrobat.exe");
    calls_.sleep = &SleepRecorder::sleep;
    ovs::ScopedProcessCalls scoped(calls_);
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
    calls_.terminateProcess = [](HANDLE, UINT) -> BOOL { return FALSE; };
    calls_.sleep = &SleepRecorder::sleep;
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
