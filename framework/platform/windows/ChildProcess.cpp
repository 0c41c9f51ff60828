// Windows side of ovs::platform::ChildProcess: CreateProcessA with one inheritable pipe for
// standard output and error, GetExitCodeProcess for the full exit code.
#include "platform/ChildProcess.h"
#include "platform/ChildProcessParts.h"
#include "platform/Win32.h"

#include <cctype>
#include <cstring>
#include <stdexcept>

namespace ovs::platform {

struct ChildProcess::State {
    PROCESS_INFORMATION process{};
    HANDLE outputRead = nullptr;
    bool ended = false;
    std::uint32_t exitCode = 0;
};

namespace {

// One argument quoted the way the C runtime splits command lines back into arguments.
std::string quoted(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) {
        return argument;
    }
    std::string result = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        result.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        result.push_back(c);
    }
    result.append(backslashes * 2, '\\');
    result.push_back('"');
    return result;
}

// The environment as CreateProcessA takes it: each "name=value" ends with a zero, one more
// zero ends the block.
std::string blockOf(const std::vector<std::string>& environment) {
    std::string block;
    for (const std::string& text : environment) {
        block.append(text).push_back('\0');
    }
    block.push_back('\0');
    return block;
}

} // namespace

std::vector<std::string> ownEnvironment() {
    std::vector<std::string> result;
    LPCH strings = GetEnvironmentStringsA();
    for (const char* entry = strings; entry != nullptr && *entry != '\0'; entry += std::strlen(entry) + 1) {
        result.emplace_back(entry);
    }
    if (strings != nullptr) {
        FreeEnvironmentStringsA(strings);
    }
    return result;
}

bool sameVariableName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

ChildProcess::ChildProcess(const Options& options) : state_(new State) {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE outputWrite = nullptr;
    if (!options.outputFile.empty()) {
        outputWrite = CreateFileA(options.outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (outputWrite == INVALID_HANDLE_VALUE) {
            delete state_;
            throw std::runtime_error("cannot create " + options.outputFile);
        }
    } else if (!CreatePipe(&state_->outputRead, &outputWrite, &inheritable, 0)) {
        delete state_;
        throw std::runtime_error("cannot create a pipe");
    } else {
        SetHandleInformation(state_->outputRead, HANDLE_FLAG_INHERIT, 0);
    }
    HANDLE input =
        CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING, 0, nullptr);

    std::string commandLine = quoted(options.program);
    for (const std::string& argument : options.arguments) {
        commandLine += " " + quoted(argument);
    }
    std::string environment = blockOf(childEnvironment(options));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = outputWrite;
    startup.hStdError = outputWrite;
    BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, environment.data(),
                                  options.workingFolder.empty() ? nullptr : options.workingFolder.c_str(), &startup,
                                  &state_->process);
    DWORD error = GetLastError();
    CloseHandle(outputWrite);
    if (input != INVALID_HANDLE_VALUE) {
        CloseHandle(input);
    }
    if (!started) {
        if (state_->outputRead != nullptr) {
            CloseHandle(state_->outputRead);
        }
        delete state_;
        throw std::runtime_error("cannot start " + options.program + ": system error " + std::to_string(error));
    }
    CloseHandle(state_->process.hThread);
}

ChildProcess::~ChildProcess() {
    if (!state_->ended) {
        terminate();
    }
    if (state_->outputRead != nullptr) {
        CloseHandle(state_->outputRead);
    }
    CloseHandle(state_->process.hProcess);
    delete state_;
}

std::uint32_t ChildProcess::wait() {
    // A program the child launched may hold the pipe's write end, so the end of the output
    // is the end of the child, not the end of the pipe.
    auto drain = [this]() {
        DWORD available = 0;
        while (state_->outputRead != nullptr &&
               PeekNamedPipe(state_->outputRead, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            char buffer[4096];
            DWORD got = 0;
            if (!ReadFile(state_->outputRead, buffer, available < sizeof buffer ? available : sizeof buffer, &got,
                          nullptr) ||
                got == 0) {
                break;
            }
            output_.append(buffer, got);
        }
    };
    while (running()) {
        drain();
        WaitForSingleObject(state_->process.hProcess, 20);
    }
    drain();
    return state_->exitCode;
}

bool ChildProcess::running() {
    if (state_->ended) {
        return false;
    }
    if (WaitForSingleObject(state_->process.hProcess, 0) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(state_->process.hProcess, &code);
        state_->ended = true;
        state_->exitCode = code;
    }
    return !state_->ended;
}

void ChildProcess::terminate() {
    if (running()) {
        TerminateProcess(state_->process.hProcess, 1);
        WaitForSingleObject(state_->process.hProcess, INFINITE);
        running();
    }
}

std::uint32_t ChildProcess::id() const {
    return static_cast<std::uint32_t>(state_->process.dwProcessId);
}

void setEnvironmentVariable(const std::string& name, const std::string& value) {
    SetEnvironmentVariableA(name.c_str(), value.empty() ? nullptr : value.c_str());
}

} // namespace ovs::platform
