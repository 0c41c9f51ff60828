// Conformance of the process functions: snapshots, process handles, termination and launching
// through the shell; natively against the substitute, under
// Wine against the real functions (the started processes then live in the build's prefix).
#include "Conformance.h"
#include "ProcessTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using ovs::test::failsWith;

namespace {

// The snapshot's file name of every process by its id.
std::map<DWORD, std::string> snapshotProcesses() {
    std::map<DWORD, std::string> entries;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    EXPECT_NE(INVALID_HANDLE_VALUE, snapshot);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        entries[entry.th32ProcessID] = entry.szExeFile;
    }
    EXPECT_EQ(DWORD(ERROR_NO_MORE_FILES), GetLastError());
    CloseHandle(snapshot);
    return entries;
}

// A started copy of the idle program, whose file name keeps the case it was given: listed under
// that name, refused to a handle without the right, still active until terminated.
TEST(RunningProcess, IsListedRefusesHandlesWithoutTheRightAndIsActiveUntilTerminated) {
    ovs::test::TempFolder folder;
    ovs::test::IdleProcess idle(ovs::test::copyIdleProgram(folder, "OvsProbe.EXE"));
    ASSERT_TRUE(idle.started());
    ASSERT_NE(0u, idle.id());
    std::map<DWORD, std::string> entries = snapshotProcesses();
    EXPECT_EQ("OvsProbe.EXE", entries[idle.id()]);
    EXPECT_EQ(0u, entries[GetCurrentProcessId()].find("platform_tests")) << entries[GetCurrentProcessId()];
    HANDLE limited = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, idle.id());
    HANDLE terminateOnly = OpenProcess(PROCESS_TERMINATE, FALSE, idle.id());
    HANDLE query = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, idle.id());
    HANDLE terminator = OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, idle.id());
    ASSERT_TRUE(limited && terminateOnly && query && terminator);
    DWORD code = 0;
    EXPECT_TRUE(failsWith(FALSE, ERROR_ACCESS_DENIED, [&] { return TerminateProcess(limited, 0); }));
    EXPECT_TRUE(idle.running());
    EXPECT_TRUE(failsWith(FALSE, ERROR_ACCESS_DENIED, [&] { return GetExitCodeProcess(terminateOnly, &code); }));
    ASSERT_TRUE(GetExitCodeProcess(query, &code));
    EXPECT_EQ(DWORD(STILL_ACTIVE), code);
    EXPECT_TRUE(TerminateProcess(terminator, 7));
    EXPECT_TRUE(idle.waitForEnd());
    ASSERT_TRUE(GetExitCodeProcess(terminator, &code));
    EXPECT_EQ(7u, code);
    for (HANDLE handle : {limited, terminateOnly, query, terminator}) {
        CloseHandle(handle);
    }
    // An ended program leaves the snapshot; a process that does not exist cannot be opened.
    const DWORD id = idle.id();
    idle.stop();
    EXPECT_EQ(0u, snapshotProcesses().count(id));
    EXPECT_TRUE(failsWith(HANDLE(nullptr), ERROR_INVALID_PARAMETER,
                          [] { return OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, 0x7FFFFFF0); }));
}

TEST(ProcessConformance, ShellStartsTheProgramInTheRequestedFolderOrReportsItMissing) {
    ovs::test::TempFolder programFolder, workFolder;
    std::string program = ovs::test::copyIdleProgram(programFolder, "OvsProbe.exe");
    ovs::test::IdleProcess idle(program, "300 started.txt", workFolder.path());
    ASSERT_TRUE(idle.started());
    EXPECT_TRUE(ovs::test::waitForFile(workFolder.native() / "started.txt"));
    EXPECT_FALSE(std::filesystem::exists(programFolder.native() / "started.txt"));
    EXPECT_EQ(GetCurrentProcessId(), GetProcessId(GetCurrentProcess()));

    const std::string missing = programFolder / "Missing.exe";
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = missing.c_str();
    info.nShow = SW_SHOWNORMAL;
    EXPECT_TRUE(failsWith(FALSE, ERROR_FILE_NOT_FOUND, [&] { return ShellExecuteExA(&info); }));
    EXPECT_EQ(SE_ERR_FNF, static_cast<int>(reinterpret_cast<ULONG_PTR>(info.hInstApp)));
    EXPECT_EQ(nullptr, info.hProcess);
}

} // namespace
