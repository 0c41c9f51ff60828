// Finding, testing, terminating and launching processes.
#include "process/Process.h"
#include "platform/PlatformCalls.h"

#include <memory>
#include <string>

namespace ovs {

// The record sizes the 32-bit program hands to Windows.
static_assert(sizeof(void*) != 4 || sizeof(PROCESSENTRY32) == 296, "PROCESSENTRY32 of the 32-bit program");
static_assert(sizeof(void*) != 4 || sizeof(SHELLEXECUTEINFOA) == 60, "SHELLEXECUTEINFOA of the 32-bit program");

namespace {

// The file name part of a path in upper case (CharUpperBuffA, as Windows compares names).
std::string upperFileName(const FileString& path) {
    std::string name = path.fileName();
    if (!name.empty()) {
        CharUpperBuffA(&name[0], static_cast<DWORD>(name.size()));
    }
    return name;
}

// The current-process object; destroyed (and the pointer cleared) at the end of the program.
std::unique_ptr<Process>& currentProcess() {
    static std::unique_ptr<Process> process;
    return process;
}

FileString ownModulePath() {
    char path[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return FileString(std::string(path, length < MAX_PATH ? length : MAX_PATH));
}

} // namespace

Process::Process(const FileString& name) : name_(name), api_(ProcessApi::acquire()) {}

Process::~Process() {
    ProcessApi::release(api_);
}

Process& Process::current() {
    std::unique_ptr<Process>& process = currentProcess();
    if (!process) {
        process = std::make_unique<Process>(ownModulePath());
        process->processId_ = GetCurrentProcessId();
    }
    return *process;
}

bool Process::find() {
    if (name_.empty() || api_->kernel32 == nullptr) {
        return false;
    }
    HANDLE snapshot = api_->createToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return false;
    }
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry; // 296 in the 32-bit program
    if (!api_->process32First(snapshot, &entry)) {
        CloseHandle(snapshot);
        return false;
    }
    const std::string key = upperFileName(name_);
    const DWORD own = GetCurrentProcessId();
    bool found = false;
    do {
        if (entry.th32ProcessID == own) {
            continue;
        }
        if (upperFileName(FileString(entry.szExeFile)) == key) {
            processId_ = entry.th32ProcessID;
            found = true;
            break;
        }
    } while (api_->process32Next(snapshot, &entry));
    CloseHandle(snapshot);
    return found;
}

bool Process::isRunning() {
    if (processId_ == unknownId) {
        return find();
    }
    if (processId_ == current().id()) {
        return true;
    }
    PlatformCalls& calls = platformCalls();
    HANDLE process = calls.openProcess(PROCESS_QUERY_INFORMATION, FALSE, processId_);
    if (process == nullptr) {
        process = calls.openProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId_);
    }
    if (process == nullptr) {
        return false;
    }
    DWORD exitCode = 0;
    BOOL queried = calls.getExitCodeProcess(process, &exitCode);
    CloseHandle(process);
    return queried && exitCode == STILL_ACTIVE;
}

bool Process::terminate() {
    if (processId_ == unknownId && !find()) {
        return false;
    }
    PlatformCalls& calls = platformCalls();
    HANDLE process = calls.openProcess(PROCESS_TERMINATE, FALSE, processId_);
    if (process == nullptr) {
        return false;
    }
    BOOL terminated = calls.terminateProcess(process, 0);
    CloseHandle(process);
    return terminated != FALSE;
}

bool Process::launch(const std::string& parameters, const std::string& folder) {
    processId_ = unknownId;
    if (name_.empty()) {
        return false;
    }
    DWORD attributes = GetFileAttributesA(name_.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return false;
    }
    const std::string directory = folder.empty() ? std::string(name_.folder()) : folder;
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info; // 60 in the 32-bit program
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = name_.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.lpDirectory = directory.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!platformCalls().shellExecuteEx(&info)) {
        return false;
    }
    if (api_->getProcessId != nullptr && info.hProcess != nullptr) {
        processId_ = api_->getProcessId(info.hProcess);
    }
    if (info.hProcess != nullptr) {
        CloseHandle(info.hProcess);
    }
    return true;
}

} // namespace ovs
