// The end-to-end harness: private folders, the stand-in's lifetime and tool runs.
#include "EndToEnd.h"
#include "Task.h"
#include "TestPrograms.h"
#include "platform/PlatformInfo.h"
#include "platform/Win32.h"
#include "process/Process.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <regex>
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
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(ovs::platform::nativePathOf(taskFolder_), error)) {
        fs::remove(entry.path(), error);
    }
}

void EndToEnd::TearDown() {
    stopStandIn();
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(ovs::platform::nativePathOf(taskFolder_), error)) {
        fs::remove(entry.path(), error);
    }
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
    options.program = ovs::test::programPath("Acrobat.exe");
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
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Acrobat.exe",
                              0, nullptr, 0, KEY_WRITE | KEY_WOW64_32KEY, nullptr, &key, nullptr));
    std::string path = ovs::test::programPath("Acrobat.exe");
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                                            static_cast<DWORD>(path.size() + 1)));
    RegCloseKey(key);
}

ToolRun EndToEnd::runTool(const std::vector<std::string>& arguments,
                          const std::vector<std::pair<std::string, std::string>>& environment) {
    ovs::platform::ChildProcess::Options options;
    options.program =
        ovs::test::programPath(ovs::platform::isPosixSubstitute() ? "FraskPdfCmd" : "FraskPdfCmd.exe");
    options.arguments = arguments;
    options.environment = environment;
    options.workingFolder = temp_.path();
    ToolRun run;
    run.exitCode = ovs::platform::runProgram(options, run.output);
    run.output = ovs::test::withoutCarriageReturns(run.output);
    run.lines = splitLines(run.output);
    return run;
}

std::uint32_t EndToEnd::seenExitCode(std::uint32_t code) {
    return ovs::platform::isPosixSubstitute() ? code & 0xffu : code;
}

std::vector<std::string> EndToEnd::taskFiles() const {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(ovs::platform::nativePathOf(taskFolder_), error)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string EndToEnd::readTaskFile(const std::string& name) const {
    return contentOf(fs::path(ovs::platform::nativePathOf(taskFolder_ + "\\" + name)));
}

void EndToEnd::writeTaskFile(const std::string& name, const std::string& content) const {
    std::ofstream(fs::path(ovs::platform::nativePathOf(taskFolder_ + "\\" + name)), std::ios::binary) << content;
}

bool EndToEnd::taskFileExists(const std::string& name) const {
    return fs::exists(fs::path(ovs::platform::nativePathOf(taskFolder_ + "\\" + name)));
}

void EndToEnd::copyDocument(const std::string& shipped, const std::string& target) const {
    fs::path source = ovs::platform::nativePathOf(ovs::test::sourcePath("tools/demo/docs/" + shipped));
    fs::create_directories(native(target).parent_path());
    fs::copy_file(source, native(target), fs::copy_options::overwrite_existing);
}

std::vector<std::string> EndToEnd::standInLog() const {
    return splitLines(ovs::test::withoutCarriageReturns(contentOf(native("acrobat.log"))));
}

bool startsWithDateTime(const std::string& text) {
    static const std::regex pattern("^(\\d{4})-(\\d{2})-(\\d{2}) (\\d{2}):(\\d{2}):(\\d{2})");
    std::smatch match;
    if (!std::regex_search(text, match, pattern)) {
        return false;
    }
    int month = std::stoi(match[2]), day = std::stoi(match[3]);
    int hour = std::stoi(match[4]), minute = std::stoi(match[5]), second = std::stoi(match[6]);
    return std::stoi(match[1]) >= 2021 && month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour < 24 &&
           minute < 60 && second < 60;
}
