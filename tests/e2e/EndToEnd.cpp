// The end-to-end harness: private folders, the stand-in's lifetime and tool runs.
#include "EndToEnd.h"
#include "Task.h"
#include "TestPrograms.h"
#include "platform/PlatformInfo.h"
#include "platform/Win32.h"
#include "process/Process.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

std::string contentOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

void EndToEnd::SetUp() {
    fs::create_directories(temp_.native() / "config");
    fs::create_directories(temp_.native() / "registry");
    const std::vector<std::pair<std::string, std::string>> variables = {
        {"XDG_CONFIG_HOME", (temp_.native() / "config").string()},
        {"HOME", temp_.native().string()},
        {"OVS_REGISTRY_DIR", (temp_.native() / "registry").string()},
    };
    for (const auto& [name, value] : variables) {
        const char* old = std::getenv(name.c_str());
        savedVariables_.emplace_back(name, old != nullptr ? old : "");
        ovs::platform::setEnvironmentVariable(name, value);
    }
    taskFolder_ = Task::taskFolder();
    ASSERT_FALSE(taskFolder_.empty());
    emptyTaskFolder();
}

void EndToEnd::TearDown() {
    stopStandIn();
    emptyTaskFolder();
    for (const auto& [name, value] : savedVariables_) {
        ovs::platform::setEnvironmentVariable(name, value);
    }
}

std::vector<std::pair<std::string, std::string>> EndToEnd::standInEnvironment(const std::string& behaviour) const {
    return {{"OVS_ACROBAT_BEHAVIOUR", behaviour},
            {"OVS_ACROBAT_STOP_FILE", work("stop-acrobat")},
            {"OVS_ACROBAT_LOG", work("acrobat.log")},
            {"OVS_ACROBAT_IDLE_EXIT_S", "120"}};
}

std::filesystem::path EndToEnd::native(const std::string& name) const {
    return fs::path(ovs::platform::nativePathOf(work(name)));
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

void EndToEnd::registerAcrobat() {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE,
                                             "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Acrobat.exe", 0,
                                             nullptr, 0, KEY_WRITE | KEY_WOW64_32KEY, nullptr, &key, nullptr));
    std::string path = ovs::test::programPath("Acrobat.exe");
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                                            static_cast<DWORD>(path.size() + 1)));
    RegCloseKey(key);
}

ovs::platform::ChildProcess::Options
EndToEnd::toolOptions(const std::vector<std::string>& arguments,
                      const std::vector<std::pair<std::string, std::string>>& environment,
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
    options.workingFolder = temp_.path();
    return options;
}

ToolRun EndToEnd::toolRun(std::uint32_t exitCode, const std::string& output) {
    ToolRun run;
    run.exitCode = exitCode;
    // A coverage build's runtime reports on the error output the data files it could not write
    // (in a run as another user or under a file-size limit): no output of the tool.
    for (const std::string& line : splitLines(ovs::test::withoutCarriageReturns(output))) {
        if (line.rfind("profiling:", 0) != 0 && line.rfind("libgcov profiling error:", 0) != 0) {
            run.lines.push_back(line);
            run.output += line + "\n";
        }
    }
    return run;
}

ToolRun EndToEnd::runTool(const std::vector<std::string>& arguments,
                          const std::vector<std::pair<std::string, std::string>>& environment,
                          const std::vector<std::string>& wrapper) {
    std::string output;
    std::uint32_t code = ovs::platform::runProgram(toolOptions(arguments, environment, wrapper), output);
    return toolRun(code, output);
}

std::uint32_t EndToEnd::seenExitCode(std::uint32_t code) {
    bool low = ovs::platform::isPosixSubstitute();
    return !low ? code : (code & 0xffu) != 0 || code == 0 ? code & 0xffu : 255u; // a failed run never exits 0
}

std::vector<std::string> EndToEnd::filesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.is_regular_file()) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> EndToEnd::taskFiles() const {
    return filesIn(taskFilePath(""));
}

void EndToEnd::emptyTaskFolder() const {
    for (const std::string& name : taskFiles()) {
        fs::remove(taskFilePath(name));
    }
}

std::filesystem::path EndToEnd::taskFilePath(const std::string& name) const {
    return fs::path(ovs::platform::nativePathOf(taskFolder_ + "\\" + name));
}

std::string EndToEnd::readTaskFile(const std::string& name) const {
    return contentOf(taskFilePath(name));
}

std::vector<std::string> EndToEnd::standInLog() const {
    return splitLines(ovs::test::withoutCarriageReturns(contentOf(native("acrobat.log"))));
}

std::string taskText(const std::string& taskEntries, const std::string& version) {
    return "[ORVA-SYSTEMS Control File]\r\nGuid={00000000-0000-1100-8000-0000C06B5161}\r\n"
           "Description=ORVA Frask Pdf Task File\r\nVersion=" +
           version + "\r\nEncoding=UTF-8\r\n[Task]\r\nId=1\r\n" + taskEntries + "MajorVersion=21\r\nMinorVersion=2\r\n";
}

std::vector<std::string> ordinaryUser() {
    if (!ovs::platform::runsAsSuperuser()) {
        return {};
    }
    return {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
}
