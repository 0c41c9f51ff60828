// Acrobat.exe, the stand-in for Adobe Acrobat with the Veilgard PDF plug-in: it watches the
// task folder, takes every task file in State Request once the file has stopped changing,
// and answers it through the same private-profile entries the plug-in uses. It writes only
// the entries the plug-in owns (State, LastError, WholeNumberOfProcessedDocuments), plus the
// header Version when told to spoil it. What it does is scripted by OVS_ACROBAT_* variables.
#include "DocumentJob.h"
#include "Script.h"
#include "platform/PlatformInfo.h"
#include "platform/Win32.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr DWORD ScanIntervalMs = 100;

// Where the event lines go: the log file when one is given, else standard output.
std::string logFile;

void say(const std::string& line) {
    if (logFile.empty()) {
        std::printf("Acrobat stand-in: %s\n", line.c_str());
        std::fflush(stdout);
        return;
    }
    std::ofstream log(ovs::platform::nativePathOf(logFile), std::ios::app);
    log << line << "\n";
}

std::string readEntry(const std::string& file, const char* section, const char* key) {
    char value[4096] = "";
    GetPrivateProfileStringA(section, key, "", value, sizeof value, file.c_str());
    return value;
}

bool hasEntry(const std::string& file, const char* section, const char* key) {
    char value[16] = "";
    return GetPrivateProfileStringA(section, key, "\x01", value, sizeof value, file.c_str()) != 1 || value[0] != '\x01';
}

void writeEntry(const std::string& file, const char* section, const char* key, const std::string& value) {
    WritePrivateProfileStringA(section, key, value.c_str(), file.c_str());
}

void writeTask(const std::string& file, const char* key, std::uint32_t value) {
    writeEntry(file, "Task", key, std::to_string(value));
}

std::string taskFolderOf(const Script& script) {
    if (!script.taskFolder.empty()) {
        return script.taskFolder;
    }
    char appData[MAX_PATH] = "";
    if (!SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)) ||
        appData[0] == '\0') {
        return std::string();
    }
    return std::string(appData) + "\\ORVA-SYSTEMS\\Veilgard PDF";
}

std::string contentOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool isTaskFileName(const std::string& name) {
    if (name.size() < 8) {
        return false;
    }
    std::string head = name.substr(0, 4);
    std::string tail = name.substr(name.size() - 4);
    for (char& c : head) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (char& c : tail) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return head == "task" && tail == ".ovc";
}

void finishWithError(const std::string& file, std::uint32_t lastError) {
    writeTask(file, "LastError", lastError);
    writeEntry(file, "Task", "State", "Error");
}

// Handles one task file that is in State Request and has settled.
void handle(const Script& script, const std::string& file) {
    Sleep(script.acceptDelayMs);
    writeEntry(file, "Task", "State", "Accepted");
    writeTask(file, "WholeNumberOfProcessedDocuments", 0);
    say("accepted " + file);
    switch (script.behaviour) {
    case Behaviour::ExitWhileAccepted: say("exiting while the task is accepted"); std::exit(0);
    case Behaviour::InvalidState: writeEntry(file, "Task", "State", script.stateText); return;
    case Behaviour::Spoil: {
        fs::path native = ovs::platform::nativePathOf(file);
        std::error_code error;
        if (script.spoiling == "delete") {
            fs::remove(native, error);
        } else if (script.spoiling == "unreadable") {
            fs::permissions(native, fs::perms::none, error);
        } else {
            std::ofstream(native, std::ios::binary | std::ios::trunc)
                << (script.spoiling == "garbage" ? "\x7f"
                                                   "ELF\x01\x02 not a task file at all\n"
                                                 : "");
        }
        say("spoiled " + file + " (" + script.spoiling + ")");
        return;
    }
    case Behaviour::HeaderVersion2:
        writeEntry(file, "ORVA-SYSTEMS Control File", "Version", "2.00");
        writeEntry(file, "Task", "State", "Finished");
        return;
    case Behaviour::Abort:
        finishWithError(file, 0);
        say("aborted " + file);
        return;
    case Behaviour::Fail:
        finishWithError(file, script.lastError);
        say("failed " + file + " with " + std::to_string(script.lastError));
        return;
    case Behaviour::FailText:
        writeEntry(file, "Task", "LastError", script.lastErrorText);
        writeEntry(file, "Task", "State", "Error");
        say("failed " + file + " with \"" + script.lastErrorText + "\"");
        return;
    case Behaviour::Finish:
        Sleep(script.documentMs * script.documents);
        writeTask(file, "WholeNumberOfProcessedDocuments", script.documents);
        writeEntry(file, "Task", "State", "Finished");
        say("finished " + file);
        return;
    case Behaviour::NeverAccept:
    case Behaviour::Process: break;
    }
    DocumentJob job;
    job.input = readEntry(file, "Parameter", "i");
    job.output = readEntry(file, "Parameter", "o");
    job.permissions = readEntry(file, "Parameter", "perm");
    job.checkPermissions = hasEntry(file, "Parameter", "readpermissions");
    job.qpdf = script.qpdf;
    JobOutcome outcome = runDocumentJob(job, script.documentMs, [&file](std::uint32_t count) {
        writeTask(file, "WholeNumberOfProcessedDocuments", count);
    });
    for (const std::string& note : outcome.notes) {
        say(note);
    }
    if (outcome.lastError != 0) {
        finishWithError(file, outcome.lastError);
        say("failed " + file + " with " + std::to_string(outcome.lastError));
    } else {
        writeEntry(file, "Task", "State", "Finished");
        say("finished " + file + " (" + std::to_string(outcome.documents) + " documents)");
    }
}

} // namespace

int main() {
    Script script = readScript();
    logFile = script.logFile;
    say("started " + std::to_string(GetCurrentProcessId()));
    std::string folder = taskFolderOf(script);
    if (folder.empty()) {
        say("no task folder: neither an application-data folder nor OVS_ACROBAT_TASK_FOLDER");
        return 1;
    }
    fs::path nativeFolder = ovs::platform::nativePathOf(folder);
    std::error_code error;
    fs::create_directories(nativeFolder, error);
    say("watching " + folder);

    // A request is taken once its content has stayed the same for the settle time.
    struct Seen {
        std::string content;
        Clock::time_point since;
    };
    std::map<std::string, Seen> pending;
    std::set<std::string> handled;
    Clock::time_point lastActivity = Clock::now();
    for (;;) {
        if (!script.stopFile.empty() && fs::exists(ovs::platform::nativePathOf(script.stopFile), error)) {
            say("stop file found, ending");
            return 0;
        }
        if (script.idleExitSeconds != 0 && Clock::now() - lastActivity > std::chrono::seconds(script.idleExitSeconds)) {
            say("idle, ending");
            return 0;
        }
        std::map<std::string, Seen> stillPending;
        for (const auto& entry : fs::directory_iterator(nativeFolder, error)) {
            std::string name = entry.path().filename().string();
            std::string file = folder + "\\" + name;
            if (!isTaskFileName(name) || handled.count(file) != 0 || !entry.is_regular_file(error)) {
                continue;
            }
            if (readEntry(file, "Task", "State") != "Request") {
                continue;
            }
            lastActivity = Clock::now();
            std::string content = contentOf(entry.path());
            auto known = pending.find(file);
            Seen seen = known != pending.end() && known->second.content == content ? known->second
                                                                                   : Seen{content, Clock::now()};
            if (script.behaviour == Behaviour::NeverAccept ||
                Clock::now() - seen.since < std::chrono::milliseconds(script.settleMs)) {
                stillPending[file] = seen;
                continue;
            }
            handled.insert(file);
            handle(script, file);
            lastActivity = Clock::now();
        }
        pending.swap(stillPending);
        Sleep(ScanIntervalMs);
    }
}
