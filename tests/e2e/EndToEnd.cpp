// The end-to-end harness: the stand-in's lifetime and tool runs.
#include "EndToEnd.h"
#include "TestPrograms.h"
#include "platform/PlatformInfo.h"
#include "process/Process.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

// The lines of a text, carriage returns removed.
std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(ovs::test::withoutCarriageReturns(text));
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

} // namespace

bool EndToEnd::useReleaseBuild() {
    const char* release = std::getenv("OVS_RELEASE_BIN_DIR");
    if (!ovs::platform::isPosixSubstitute() || release == nullptr || *release == '\0') {
        return false;
    }
    for (const char* program : {"FraskPdfCmd", "Acrobat.exe"}) {
        if (!fs::is_regular_file(fs::path(release) / program)) {
            ADD_FAILURE() << "no release " << program << " in OVS_RELEASE_BIN_DIR " << release;
            return false;
        }
    }
    programs_ = ovs::platform::windowsPathOf(release) + "\\";
    return true;
}

Variables EndToEnd::standInEnvironment(const std::string& behaviour) const {
    return {{"OVS_ACROBAT_BEHAVIOUR", behaviour},
            {"OVS_ACROBAT_STOP_FILE", work("stop-acrobat")},
            {"OVS_ACROBAT_LOG", work("acrobat.log")},
            {"OVS_ACROBAT_IDLE_EXIT_S", "120"}};
}

void EndToEnd::startStandIn(const std::string& behaviour) {
    std::error_code error;
    fs::remove(native("stop-acrobat"), error);
    fs::remove(native("acrobat.log"), error);
    ovs::platform::ChildProcess::Options options;
    options.program = programs_.empty() ? ovs::test::programPath("Acrobat.exe") : programs_ + "Acrobat.exe";
    options.environment = standInEnvironment(behaviour);
    options.outputFile = work("acrobat.out");
    standIn_ = std::make_unique<ovs::platform::ChildProcess>(options);
    for (int i = 0; i < 200; ++i) {
        for (const std::string& line : standInLog()) {
            if (line.rfind("watching ", 0) == 0) {
                return;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    FAIL() << "the stand-in did not start watching";
}

void EndToEnd::stopStandIn() {
    // Stand-ins the tool started are no children of ours: they see the stop file too.
    std::ofstream(native("stop-acrobat")) << "stop";
    for (int i = 0; i < 100 && ovs::Process(ovs::FileString("Acrobat.exe")).find(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (standIn_) {
        standIn_->terminate();
        standIn_.reset();
    }
}

ovs::platform::ChildProcess::Options EndToEnd::toolOptions(const std::vector<std::string>& arguments,
                                                           const Variables& environment,
                                                           const std::vector<std::string>& wrapper) const {
    ovs::platform::ChildProcess::Options options;
    const char* tool = ovs::platform::isPosixSubstitute() ? "FraskPdfCmd" : "FraskPdfCmd.exe";
    options.program = programs_.empty() ? ovs::test::programPath(tool) : programs_ + tool;
    options.arguments = arguments;
    if (!wrapper.empty()) {
        options.arguments.insert(options.arguments.begin(), ovs::platform::nativePathOf(options.program));
        options.arguments.insert(options.arguments.begin(), wrapper.begin() + 1, wrapper.end());
        options.program = wrapper[0];
    }
    options.environment = environment;
    options.workingFolder = tasks_.temp().path();
    return options;
}

ToolRun EndToEnd::toolRun(std::uint32_t exitCode, const std::string& output) {
    ToolRun run;
    run.exitCode = exitCode;
    // A coverage build's runtime reports on the error output the data files it could not write
    // (in a run as another user): no output of the tool.
    for (const std::string& line : linesOf(output)) {
        if (line.rfind("profiling:", 0) != 0 && line.rfind("libgcov profiling error:", 0) != 0) {
            run.lines.push_back(line);
            run.output += line + "\n";
        }
    }
    return run;
}

ToolRun EndToEnd::runTool(const std::vector<std::string>& arguments, const Variables& environment,
                          const std::vector<std::string>& wrapper) {
    std::string output;
    std::uint32_t code = ovs::platform::runProgram(toolOptions(arguments, environment, wrapper), output);
    return toolRun(code, output);
}

std::uint32_t EndToEnd::seenExitCode(std::uint32_t code) {
    bool low = ovs::platform::isPosixSubstitute();
    return !low ? code : (code & 0xffu) != 0 || code == 0 ? code & 0xffu : 255u; // a failed run never exits 0
}

std::vector<std::string> EndToEnd::standInLog() const {
    return linesOf(ovs::test::fileBytes(native("acrobat.log")).value_or(""));
}

std::vector<std::string> ordinaryUser() {
    if (!ovs::platform::runsAsSuperuser()) {
        return {};
    }
    return {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
}
