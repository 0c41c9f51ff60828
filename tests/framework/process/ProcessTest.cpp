// ovs::Process against real processes (copies of the idle program), in both builds: finding
// by file name, the running check with its two access rights, termination, launching with
// the working-folder rule and injected failures. A termination that fails, and one of a
// process found by name, are Acrobat's stop (AcrobatControl).
#include "process/Process.h"
#include "ProcessTestSupport.h"
#include "VisibleProcesses.h"
#include "platform/PlatformCalls.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

namespace {

using ovs::Process;
using ovs::test::IdleProcess;
using ovs::test::TempFolder;
using ovs::test::VisibleProcesses;
using ovs::test::waitForFile;

// A copy of the idle program running under the given name, shown to the process list.
struct ShownFolder {
    VisibleProcesses visible;
    TempFolder folder;
};
struct ShownIdle : ShownFolder, IdleProcess {
    explicit ShownIdle(const char* name) : IdleProcess(ovs::test::copyIdleProgram(folder, name)) {
        VisibleProcesses::show(id());
    }
};

TEST(Process, NothingIsFoundOrLaunchedWhenNoSuchProgramExists) {
    VisibleProcesses visible;
    Process process("OvsNobody.exe");
    EXPECT_FALSE(process.find());
    EXPECT_FALSE(process.isRunning());
    EXPECT_FALSE(process.terminate());
    EXPECT_EQ(Process::unknownId, process.id());
    EXPECT_FALSE(Process("").find());
    TempFolder folder;
    for (std::string name : {std::string(), folder / "Missing.exe", folder.path()}) {
        Process missing(name);
        EXPECT_FALSE(missing.launch("", "")) << name;
        EXPECT_EQ(Process::unknownId, missing.id());
    }
}

TEST(Process, FindsByFileNameWhateverTheFolderAndCase) {
    ShownIdle idle("ovsFinder.EXE");
    ASSERT_TRUE(idle.started());
    for (const char* name : {"ovsFinder.EXE", "OVSFINDER.exe", "C:\\Elsewhere\\OvsFinder.Exe", "Z:/x/ovsfinder.exe"}) {
        Process process(name);
        EXPECT_TRUE(process.find()) << name;
        EXPECT_EQ(idle.id(), process.id()) << name;
    }
    EXPECT_FALSE(Process("ovsFinder").find());
    EXPECT_FALSE(Process("ovsFinder.EXE.old").find());
    Process& current = Process::current(); // never matches this program
    EXPECT_EQ(GetCurrentProcessId(), current.id());
    EXPECT_TRUE(current.isRunning());
    EXPECT_FALSE(Process(current.name().fileName()).find()) << current.name();
}

// Stand-ins for the process calls. Functions, not lambdas: the table holds WINAPI (stdcall)
// pointers, which a lambda does not convert to in a 32-bit build.
std::vector<DWORD> asked;
DWORD refused;

HANDLE WINAPI recordingOpenProcess(DWORD access, BOOL inherit, DWORD id) {
    asked.push_back(access);
    return access == refused ? nullptr : OpenProcess(access, inherit, id);
}

HANDLE WINAPI refusingOpenProcess(DWORD, BOOL, DWORD) {
    return nullptr;
}

TEST(Process, RunningCheckAsksForQueryRightsThenLimitedOnes) {
    ShownIdle idle("OvsRights.exe");
    ASSERT_TRUE(idle.started());
    Process process("OvsRights.exe");
    ASSERT_TRUE(process.find());

    ovs::PlatformCalls calls = ovs::systemPlatformCalls();
    calls.openProcess = recordingOpenProcess;
    ovs::ScopedPlatformCalls scoped(calls);
    refused = 0;
    EXPECT_TRUE(process.isRunning());
    EXPECT_EQ(std::vector<DWORD>{PROCESS_QUERY_INFORMATION}, asked);
    asked.clear();
    refused = PROCESS_QUERY_INFORMATION;
    EXPECT_TRUE(process.isRunning());
    EXPECT_EQ((std::vector<DWORD>{PROCESS_QUERY_INFORMATION, PROCESS_QUERY_LIMITED_INFORMATION}), asked);
    calls.openProcess = refusingOpenProcess;
    ovs::ScopedPlatformCalls noAccess(calls);
    EXPECT_FALSE(process.isRunning());
}

TEST(Process, LaunchRunsInTheProgramsFolderUnlessAFolderIsGiven) {
    VisibleProcesses visible;
    TempFolder programFolder, workFolder;
    std::string program = ovs::test::copyIdleProgram(programFolder, "OvsLaunched.exe");

    Process own(program);
    ASSERT_TRUE(own.launch("300 own.txt", ""));
    ASSERT_NE(Process::unknownId, own.id());
    VisibleProcesses::show(own.id());
    EXPECT_TRUE(waitForFile(programFolder.native() / "own.txt"));
    EXPECT_TRUE(own.isRunning());

    Process elsewhere(program);
    ASSERT_TRUE(elsewhere.launch("300 elsewhere.txt", workFolder.path()));
    VisibleProcesses::show(elsewhere.id());
    EXPECT_TRUE(waitForFile(workFolder.native() / "elsewhere.txt"));
    EXPECT_NE(own.id(), elsewhere.id());

    for (Process* process : {&own, &elsewhere}) {
        EXPECT_TRUE(process->terminate());
        for (int i = 0; i < 500 && process->isRunning(); ++i) {
            Sleep(20);
        }
        EXPECT_FALSE(process->isRunning());
    }
}

TEST(Process, AnEmptyFunctionTableFindsNothingAndLaunchesWithoutAnId) {
    TempFolder folder;
    std::string program = ovs::test::copyIdleProgram(folder, "OvsEmptyTable.exe");
    ovs::ProcessApi* api = ovs::ProcessApi::acquire();
    // The entries Process consults emptied for a moment, as a failed load leaves them: the
    // library (the look-up's test for an empty table) and GetProcessId.
    const HMODULE kernel32 = std::exchange(api->kernel32, nullptr);
    const auto getProcessId = std::exchange(api->getProcessId, nullptr);
    Process launched(program);
    bool started = launched.launch("300", "");
    Process found("OvsEmptyTable.exe");
    bool foundIt = found.find();
    api->kernel32 = kernel32;
    api->getProcessId = getProcessId;
    ovs::ProcessApi::release(api);

    EXPECT_TRUE(started);
    EXPECT_EQ(Process::unknownId, launched.id());
    EXPECT_FALSE(foundIt);
    Process cleanup("OvsEmptyTable.exe"); // a name only this test uses
    EXPECT_TRUE(cleanup.find());
    EXPECT_TRUE(cleanup.terminate());
}

} // namespace
