// Test helpers for processes: a copy of the build's idle program (tools/idle) under a
// chosen file name in a private folder, started through the shell and always stopped
// again. Usable from every suite (both targets).
#pragma once
#include "TestFolders.h"
#include "TestPrograms.h"
#include "platform/PlatformInfo.h"
#include "platform/Win32.h"

#include <filesystem>
#include <string>
#include <vector>

namespace ovs::test {

// A Sleep for ovs::PlatformCalls that records each wait; it really waits only realWait()
// milliseconds (0 unless a test sets it).
struct SleepRecorder {
    static std::vector<DWORD>& sleeps() { return sleeps_; }
    static DWORD& realWait() { return realWait_; }
    static void WINAPI sleep(DWORD milliseconds) {
        sleeps().push_back(milliseconds);
        if (realWait() != 0) {
            ::Sleep(realWait());
        }
    }
    static inline std::vector<DWORD> sleeps_;
    static inline DWORD realWait_ = 0;
};

// Waits up to five seconds for a file a started program writes; true when it is there.
inline bool waitForFile(const std::filesystem::path& file) {
    for (int i = 0; i < 250 && !std::filesystem::exists(file); ++i) {
        Sleep(20);
    }
    return std::filesystem::exists(file);
}

// Copies the idle program of this build into folder under fileName; returns the copy's Windows path.
inline std::string copyIdleProgram(const TempFolder& folder, const std::string& fileName) {
    std::filesystem::path source =
        ovs::platform::nativePathOf(programPath(ovs::platform::isPosixSubstitute() ? "OvsIdle" : "OvsIdle.exe"));
    std::filesystem::copy_file(source, folder.native() / fileName, std::filesystem::copy_options::overwrite_existing);
    return folder / fileName;
}

// One started copy of the idle program; the destructor terminates it (if it still runs)
// and waits until it has ended.
class IdleProcess {
public:
    // Starts program with parameters in workingFolder (empty: the program's own folder
    // is not set; the current one is used). started() tells whether it worked.
    explicit IdleProcess(const std::string& program, const std::string& parameters = "300",
                         const std::string& workingFolder = std::string()) {
        SHELLEXECUTEINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
        info.lpFile = program.c_str();
        info.lpParameters = parameters.c_str();
        info.lpDirectory = workingFolder.empty() ? nullptr : workingFolder.c_str();
        info.nShow = SW_SHOWNORMAL;
        if (ShellExecuteExA(&info) && info.hProcess != nullptr) {
            process_ = info.hProcess;
            id_ = GetProcessId(process_);
        }
    }
    ~IdleProcess() { stop(); }
    IdleProcess(const IdleProcess&) = delete;
    IdleProcess& operator=(const IdleProcess&) = delete;

    bool started() const { return process_ != nullptr; }
    DWORD id() const { return id_; }

    bool running() const {
        DWORD code = 0;
        return process_ != nullptr && GetExitCodeProcess(process_, &code) && code == STILL_ACTIVE;
    }
    // Waits up to timeoutMs until the process has ended; true when it has.
    bool waitForEnd(DWORD timeoutMs = 10000) const {
        for (DWORD waited = 0; running(); waited += 20) {
            if (waited >= timeoutMs) {
                return false;
            }
            Sleep(20);
        }
        return true;
    }
    void stop() {
        if (process_ == nullptr) {
            return;
        }
        if (running()) {
            TerminateProcess(process_, 1);
        }
        waitForEnd();
        CloseHandle(process_);
        process_ = nullptr;
    }

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

} // namespace ovs::test
