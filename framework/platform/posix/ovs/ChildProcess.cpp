// POSIX side of ovs::platform::ChildProcess: fork and exec, one pipe for standard output and
// error, waitpid for the exit status.
#include "platform/ChildProcess.h"
#include "platform/ChildProcessParts.h"
#include "platform/posix/file/ZPath.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace ovs::platform {

struct ChildProcess::State {
    pid_t pid = -1;
    int outputPipe = -1;
    bool ended = false;
    std::uint32_t exitCode = 0;
};

namespace {

std::string unixPathOf(const std::string& windowsPath) {
    std::string unixPath;
    if (!ovs::posix::unixPathFrom(windowsPath.c_str(), unixPath)) {
        throw std::runtime_error("no Unix path for " + windowsPath);
    }
    return unixPath;
}

bool hasSeparator(const std::string& path) {
    return path.find_first_of("\\/:") != std::string::npos;
}

std::uint32_t exitCodeOf(int status) {
    if (WIFEXITED(status)) {
        return static_cast<std::uint32_t>(WEXITSTATUS(status));
    }
    if (WIFSIGNALED(status)) {
        return 128u + static_cast<std::uint32_t>(WTERMSIG(status));
    }
    return 0xffffffffu;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

std::vector<std::string> ownEnvironment() {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        result.emplace_back(*entry);
    }
    return result;
}

bool sameVariableName(const std::string& a, const std::string& b) {
    return a == b;
}

ChildProcess::ChildProcess(const Options& options) : state_(new State) {
    std::string program = hasSeparator(options.program) ? unixPathOf(options.program) : options.program;
    std::string folder = options.workingFolder.empty() ? std::string() : unixPathOf(options.workingFolder);
    std::vector<std::string> arguments{program};
    arguments.insert(arguments.end(), options.arguments.begin(), options.arguments.end());
    std::vector<std::string> environment = childEnvironment(options);
    std::vector<char*> argv = pointersTo(arguments);
    std::vector<char*> envp = pointersTo(environment);

    int outputFd = -1;
    int pipeFds[2] = {-1, -1};
    if (!options.outputFile.empty()) {
        outputFd = ::open(unixPathOf(options.outputFile).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (outputFd < 0) {
            delete state_;
            throw std::runtime_error("cannot create " + options.outputFile);
        }
    } else {
        if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
            delete state_;
            throw std::runtime_error("cannot create a pipe");
        }
        outputFd = pipeFds[1];
    }
    // The exec error travels back through a close-on-exec pipe: nothing arrives on success.
    int errorPipe[2];
    if (::pipe2(errorPipe, O_CLOEXEC) != 0) {
        ::close(outputFd);
        if (pipeFds[0] >= 0) {
            ::close(pipeFds[0]);
        }
        delete state_;
        throw std::runtime_error("cannot create a pipe");
    }

    pid_t pid = ::fork();
    if (pid == 0) {
        int devNull = ::open("/dev/null", O_RDONLY);
        if (devNull >= 0) {
            ::dup2(devNull, 0);
        }
        ::dup2(outputFd, 1);
        ::dup2(outputFd, 2);
        if (!folder.empty() && ::chdir(folder.c_str()) != 0) {
            int error = errno;
            (void)!::write(errorPipe[1], &error, sizeof error);
            ::_exit(127);
        }
        ::signal(SIGXFSZ, SIG_DFL); // ignored by the platform layer, not by the program started
        ::execvpe(program.c_str(), argv.data(), envp.data());
        int error = errno;
        (void)!::write(errorPipe[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(errorPipe[1]);
    ::close(outputFd);
    int childError = 0;
    ssize_t got = pid > 0 ? ::read(errorPipe[0], &childError, sizeof childError) : 0;
    ::close(errorPipe[0]);
    if (pid < 0 || got > 0) {
        if (pipeFds[0] >= 0) {
            ::close(pipeFds[0]);
        }
        if (pid > 0) {
            ::waitpid(pid, nullptr, 0);
        }
        delete state_;
        throw std::runtime_error("cannot start " + options.program + ": " +
                                 std::strerror(pid < 0 ? errno : childError));
    }
    state_->pid = pid;
    state_->outputPipe = pipeFds[0];
}

ChildProcess::~ChildProcess() {
    if (!state_->ended) {
        terminate();
    }
    if (state_->outputPipe >= 0) {
        ::close(state_->outputPipe);
    }
    delete state_;
}

std::uint32_t ChildProcess::wait() {
    // A grandchild may hold the write end of the pipe (a program the child launched), so
    // the end of the output is the end of the child, not the end of the pipe.
    for (;;) {
        if (state_->outputPipe >= 0) {
            pollfd watch{state_->outputPipe, POLLIN, 0};
            if (::poll(&watch, 1, 50) > 0) {
                char buffer[4096];
                ssize_t got = ::read(state_->outputPipe, buffer, sizeof buffer);
                if (got > 0) {
                    output_.append(buffer, static_cast<std::size_t>(got));
                    continue;
                }
                ::close(state_->outputPipe);
                state_->outputPipe = -1;
            }
        } else if (!state_->ended) {
            int status = 0;
            if (::waitpid(state_->pid, &status, 0) == state_->pid) {
                state_->ended = true;
                state_->exitCode = exitCodeOf(status);
            }
        }
        if (!running()) {
            break;
        }
    }
    if (state_->outputPipe >= 0) {
        char buffer[4096];
        ::fcntl(state_->outputPipe, F_SETFL, O_NONBLOCK);
        ssize_t got;
        while ((got = ::read(state_->outputPipe, buffer, sizeof buffer)) > 0) {
            output_.append(buffer, static_cast<std::size_t>(got));
        }
        ::close(state_->outputPipe);
        state_->outputPipe = -1;
    }
    return state_->exitCode;
}

bool ChildProcess::running() {
    if (state_->ended) {
        return false;
    }
    int status = 0;
    pid_t result = ::waitpid(state_->pid, &status, WNOHANG);
    if (result == state_->pid) {
        state_->ended = true;
        state_->exitCode = exitCodeOf(status);
    } else if (result < 0) {
        state_->ended = true;
        state_->exitCode = 0xffffffffu;
    }
    return !state_->ended;
}

void ChildProcess::terminate() {
    if (running()) {
        ::kill(state_->pid, SIGKILL);
        int status = 0;
        ::waitpid(state_->pid, &status, 0);
        state_->ended = true;
        state_->exitCode = exitCodeOf(status);
    }
}

std::uint32_t ChildProcess::id() const {
    return static_cast<std::uint32_t>(state_->pid);
}

void setEnvironmentVariable(const std::string& name, const std::string& value) {
    if (value.empty()) {
        ::unsetenv(name.c_str());
    } else {
        ::setenv(name.c_str(), value.c_str(), 1);
    }
}

} // namespace ovs::platform
