// POSIX substitute: ShellExecuteExA. The program is started through a double fork: the
// middle process opens a new session, starts the program and ends at once, so the program
// is nobody's child here and outlives us, as a program the shell started does on Windows.
// A close-on-exec pipe reports the program's id and whether the exec succeeded, so the call
// returns once the program runs its own image.
#include "platform/posix/process/ProcessHandles.h"
#include "platform/posix/process/WinProcess.h"
#include "platform/posix/file/ZPath.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Report {
    int kind; // 1: the program's id, 2: errno of a failed step
    int value;
};

void sendReport(int fd, int kind, int value) {
    Report report{kind, value};
    ssize_t ignored = ::write(fd, &report, sizeof report);
    (void)ignored;
}

// Splits a parameter text as a command line is split: blanks separate, double quotes group,
// \" is a quote character.
std::vector<std::string> splitParameters(const char* text) {
    std::vector<std::string> arguments;
    if (text == nullptr) {
        return arguments;
    }
    std::string current;
    bool inQuotes = false, started = false;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == '\\' && p[1] == '"') {
            current += '"';
            started = true;
            ++p;
        } else if (*p == '"') {
            inQuotes = !inQuotes;
            started = true;
        } else if ((*p == ' ' || *p == '\t') && !inQuotes) {
            if (started) {
                arguments.push_back(current);
            }
            current.clear();
            started = false;
        } else {
            current += *p;
            started = true;
        }
    }
    if (started) {
        arguments.push_back(current);
    }
    return arguments;
}

BOOL fail(SHELLEXECUTEINFOA* info, DWORD error, int shellError) {
    info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(shellError));
    SetLastError(error);
    return FALSE;
}

[[noreturn]] void runProgram(int reportFd, const std::string& file, const std::string& folder, char* const* argv) {
    int nullFd = ::open("/dev/null", O_RDWR);
    if (nullFd >= 0) {
        ::dup2(nullFd, 0);
        ::dup2(nullFd, 1);
        ::dup2(nullFd, 2);
        if (nullFd > 2) {
            ::close(nullFd);
        }
    }
    ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC); // no descriptor of ours goes with it
    if (!folder.empty() && ::chdir(folder.c_str()) != 0) {
        sendReport(reportFd, 2, errno);
        ::_exit(127);
    }
    ::signal(SIGXFSZ, SIG_DFL); // ignored by this layer, not by the program started
    ::execv(file.c_str(), argv);
    sendReport(reportFd, 2, errno);
    ::_exit(127);
}

} // namespace

BOOL ShellExecuteExA(SHELLEXECUTEINFOA* info) {
    if (info == nullptr || info->cbSize != sizeof(SHELLEXECUTEINFOA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->hProcess = nullptr;
    if (info->lpVerb != nullptr && *info->lpVerb != '\0' && ::strcasecmp(info->lpVerb, "open") != 0) {
        return fail(info, ERROR_NO_ASSOCIATION, SE_ERR_NOASSOC);
    }
    std::string file, folder;
    struct stat fileInfo {};
    if (info->lpFile == nullptr || !ovs::posix::unixPathFrom(info->lpFile, file) ||
        ::stat(file.c_str(), &fileInfo) != 0) {
        return fail(info, ERROR_FILE_NOT_FOUND, SE_ERR_FNF);
    }
    if (info->lpDirectory != nullptr && *info->lpDirectory != '\0') {
        struct stat folderInfo {};
        if (!ovs::posix::unixPathFrom(info->lpDirectory, folder) || ::stat(folder.c_str(), &folderInfo) != 0 ||
            !S_ISDIR(folderInfo.st_mode)) {
            return fail(info, ERROR_PATH_NOT_FOUND, SE_ERR_PNF);
        }
    }
    if (S_ISDIR(fileInfo.st_mode) || ::access(file.c_str(), X_OK) != 0) {
        return fail(info, ERROR_ACCESS_DENIED, SE_ERR_ACCESSDENIED);
    }

    std::vector<std::string> arguments = splitParameters(info->lpParameters);
    arguments.insert(arguments.begin(), file);
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(&argument[0]);
    }
    argv.push_back(nullptr);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        return fail(info, ERROR_NOT_ENOUGH_MEMORY, SE_ERR_OOM);
    }
    pid_t middle = ::fork();
    if (middle < 0) {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return fail(info, ERROR_NOT_ENOUGH_MEMORY, SE_ERR_OOM);
    }
    if (middle == 0) {
        ::close(pipeFds[0]);
        ::setsid();
        pid_t program = ::fork();
        if (program == 0) {
            runProgram(pipeFds[1], file, folder, argv.data());
        }
        if (program < 0) {
            sendReport(pipeFds[1], 2, errno);
        } else {
            sendReport(pipeFds[1], 1, static_cast<int>(program));
        }
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    DWORD programId = 0;
    int error = 0;
    Report report{};
    for (;;) {
        ssize_t count = ::read(pipeFds[0], &report, sizeof report);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count != static_cast<ssize_t>(sizeof report)) {
            break; // end of file: the program runs (or nobody is left to report)
        }
        if (report.kind == 1) {
            programId = static_cast<DWORD>(report.value);
        } else {
            error = report.value;
        }
    }
    ::close(pipeFds[0]);
    if (programId == 0 || error != 0) {
        DWORD code = ovs::posix::errorFromErrno(error == 0 ? EAGAIN : error);
        return fail(info, code == ERROR_FILE_NOT_FOUND || code == ERROR_ACCESS_DENIED ? code : ERROR_ACCESS_DENIED,
                    SE_ERR_ACCESSDENIED);
    }
    info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(33)); // above 32: success
    if ((info->fMask & SEE_MASK_NOCLOSEPROCESS) != 0) {
        info->hProcess = ovs::posix::openProcessHandle(programId, PROCESS_ALL_ACCESS);
    }
    return TRUE;
}
