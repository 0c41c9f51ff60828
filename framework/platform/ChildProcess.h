// Starting another program and collecting what it leaves behind: its console output and its
// full 32-bit exit code. Used by the tests that run the real binaries and by the plug-in
// stand-in for its helper programs. POSIX keeps only the low 8 bits of an exit status, so a
// POSIX program learns the full code of a Windows program only through Wine's own
// GetExitCodeProcess: the Windows build of this class reads that code directly.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace ovs::platform {

class ChildProcess {
public:
    struct Options {
        // The program in the framework's Windows form (Z:\... on POSIX) or, without any
        // separator, a bare name looked up in the search path.
        std::string program;
        std::vector<std::string> arguments;
        // Variables set (or replaced) for the child on top of this process's environment.
        std::vector<std::pair<std::string, std::string>> environment;
        // Windows form; empty keeps this process's current folder.
        std::string workingFolder;
        // Windows form; when set, standard output and error go to this file (created anew)
        // instead of being collected. Meant for long-running children that nobody reads.
        std::string outputFile;
    };

    // Starts the program. Throws std::runtime_error when it cannot be started.
    explicit ChildProcess(const Options& options);
    // Kills the child if it still runs and releases everything.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Reads the child's output to its end and waits for it; returns the full exit code.
    // Further calls return the same code.
    std::uint32_t wait();
    // True while the child has not ended.
    bool running();
    // Ends the child at once (SIGKILL / TerminateProcess) and reaps it.
    void terminate();
    // The child's process id as the system's process list shows it.
    std::uint32_t id() const;
    // Standard output and error, interleaved as written; complete after wait().
    const std::string& output() const { return output_; }

private:
    struct State;
    State* state_;
    std::string output_;
};

// Starts the program, waits for it and returns its exit code; output receives its console
// output. Throws std::runtime_error when it cannot be started.
std::uint32_t runProgram(const ChildProcess::Options& options, std::string& output);

// Sets (or with an empty value removes) a variable of this process's own environment, which
// every child started later inherits.
void setEnvironmentVariable(const std::string& name, const std::string& value);

} // namespace ovs::platform
