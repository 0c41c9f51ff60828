// The run flow of the tool: banner, command line, clear mode, task mode and error report.
#include "ThisApp.h"

#include "FraskPdfTreeScan.h"
#include "MessageNumbers.h"
#include "OptionTable.h"
#include "TaskDeleter.h"
#include "process/Process.h"
#include "platform/PlatformCalls.h"
#include "runtime/Console.h"
#include "runtime/VersionInfo.h"
#include "runtime/DateTime.h"

#include <cstdlib>
#include <ctime>

namespace {

constexpr int AcceptancePolls = 15;
constexpr int AliveCheckPolls = 5;

std::string now() {
    return DateTime::now().text();
}

} // namespace

// --- RunEnvironment: the real world ---

RunEnvironment::~RunEnvironment() = default;

bool RunEnvironment::acrobatIsRunning(Acrobat& acrobat) {
    return acrobat.isRunning();
}

void RunEnvironment::startAcrobat(Acrobat& acrobat) {
    acrobat.start();
}

void RunEnvironment::restartAcrobat(Acrobat& acrobat) {
    acrobat.restart();
}

std::uint32_t RunEnvironment::submitTask(RequestTask& request, const ParameterMap& parameters) {
    return request.submit(parameters);
}

TaskState RunEnvironment::pollTask(RequestTask& request) {
    return request.pollState();
}

std::int32_t RunEnvironment::processedDocuments(RequestTask& request) {
    return request.processedDocuments();
}

void RunEnvironment::deleteTaskFiles(std::uint32_t mode) {
    TaskDeleter deleter(mode);
    FraskPdfTreeScan<TaskDeleter> scan(&deleter);
    ovs::FileScanSpec spec;
    spec.setFolder(Task::taskFolder(), false);
    spec.addPattern(taskfile::Pattern, true);
    if (mode == TaskDeleter::ClearAll) {
        // What ended runs and writers left behind: requests never published, markers of runs
        // that waited, temporaries of a write (hidden names, hence the hidden entries too).
        spec.addPattern(taskfile::PendingPattern, true);
        spec.addPattern(taskfile::WaitingPattern, true);
        spec.addPattern(taskfile::TemporaryPattern, true);
    }
    scan.configure(spec, 0, mode == TaskDeleter::ClearAll ? ovs::FileTreeScan::HiddenEntries : 0);
    scan.scan();
    // A clear run that left a task file behind against its mode has failed: its first file
    // error (access denied, for one) is reported and becomes the exit code, so that a script
    // does not take a full task folder for a cleared one.
    if (const ovs::FileException* failure = deleter.firstFailure()) {
        throw ovs::FileException(*failure);
    }
}

// --- ThisApp ---

ThisApp::ThisApp() : Application("OV", "FraskPdfCmd"), environment_(std::make_unique<RunEnvironment>()) {}

ThisApp::~ThisApp() = default;

bool ThisApp::initialise() {
    try {
        return Application::initialise();
    } catch (const ovs::Exception&) {
        return false;
    }
}

bool ThisApp::finish() {
    return true;
}

void ThisApp::setEnvironment(std::unique_ptr<RunEnvironment> environment) {
    environment_ = std::move(environment);
}

ovs::StringBase<char> ThisApp::rewriteArguments(const std::string& text) {
    static const char* const replacements[][2] = {
        {"\"-i:", "-i:\""}, {"\"/i:", "/i:\""}, {"\"-o:", "-o:\""}, {"\"/o:", "/o:\""}};
    std::string result = text;
    for (const auto& replacement : replacements) {
        std::size_t at = 0;
        while ((at = result.find(replacement[0], at)) != std::string::npos) {
            result.replace(at, 4, replacement[1]);
            at += 4;
        }
    }
    return result;
}

bool ThisApp::isPresent(const char* name) const {
    const OptionDesc* option = parser_ ? parser_->findOption(name) : nullptr;
    return option != nullptr && option->present;
}

int ThisApp::run() {
    ovs::Console& out = ovs::console();
    try {
        acrobat_ = std::make_unique<Acrobat>();
        std::uint32_t seed =
            ovs::Process::current().id() * static_cast<std::uint32_t>(static_cast<std::uint64_t>(std::time(nullptr)));
        std::srand(seed);

        ovs::VersionInfo version(VersionMajor, VersionMinor, VersionBuild, VersionLevel, BuildYear, BuildMonth,
                                 BuildDay, FirstYear);
        out << "FraskPdfCmd " << version.versionOfDateBuild() << std::endl;
        out << version.rightsNotice() << std::endl;

        parser_.reset();
        arguments_ = rewriteArguments(commandLine());
        parser_ = std::make_unique<OptionCommandParsing>(arguments_.c_str());
        parser_->setPrefixCharacters("/-");
        parser_->setFollowCharacters("/-");
        parser_->description = usageDescription;
        bool permissionCheck = arguments_.find("readpermissions") != std::string::npos;
        registerOptions(*parser_, permissionCheck ? permissionCheckOptionSet() : fullOptionSet());
        parser_->parseOptions();

        if (isPresent("clear")) {
            return clearTaskFiles(parser_->findOption("clear")->value.asText());
        }
        if (isPresent("startacrobat")) {
            environment_->startAcrobat(*acrobat_);
        }
        parser_->checkMandatory();
        return processTask();
    } catch (const ovs::Exception& error) {
        int number = error.number();
        out << std::endl;
        if (number == ovs::msg::AcrobatNotRunning) {
            out << error.message() << std::endl;
        } else {
            out << error.message() << " (" << error.argument(1) << ")" << std::endl;
        }
        return number;
    }
}

int ThisApp::clearTaskFiles(const std::string& value) {
    ovs::Console& out = ovs::console();
    std::uint32_t mode;
    if (value == "ALL") {
        mode = TaskDeleter::ClearAll;
    } else if (value == "FINISHED") {
        mode = TaskDeleter::ClearFinished;
    } else {
        out << "Unkown option for clear:" << value << std::endl;
        return 1;
    }
    out << "Clearing old task files (" << value << ")" << std::endl;
    environment_->deleteTaskFiles(mode);
    return 0;
}

int ThisApp::processTask() {
    ovs::Console& out = ovs::console();
    if (!environment_->acrobatIsRunning(*acrobat_)) {
        throw ovs::Exception(ovs::msg::AcrobatNotRunning);
    }
    RequestTask request{ovs::FileString()};
    ParameterMap parameters;
    for (const auto& [name, option] : parser_->options()) {
        if (option->present) {
            parameters[name] = option->value;
        }
    }
    out << (isPresent("readpermissions") ? "Created a permission extract task for FraskPdf: Task Id "
                                         : "Created a task for FraskPdf: Task Id ");
    std::uint32_t id = environment_->submitTask(request, parameters);
    out << id << std::endl;

    out << "Waiting for finish " << std::flush;
    ovs::platformCalls().sleep(PollInterval);
    TaskState state;
    if (!awaitOutcome(request, state)) {
        return ovs::msg::FreeFatalError;
    }
    if (state == TaskState::Finished) {
        out << std::endl << "Task finished at " << now() << std::endl;
    } else if (state == TaskState::Error) {
        out << std::endl << "Task aborted at " << now() << std::endl;
    } else {
        // The task file could not be opened at this poll (deleted, or unreadable): the state is
        // unknown. 3003 belongs to the document count of a task that did finish.
        throw ovs::Exception(ovs::msg::FreeFatalError, "Unkown state");
    }
    restartAcrobatIfDue(request);
    ovs::platformCalls().sleep(PollInterval);
    return 0;
}

bool ThisApp::awaitOutcome(RequestTask& request, TaskState& state) {
    ovs::Console& out = ovs::console();
    int acceptance = AcceptancePolls;
    int aliveCheck = AliveCheckPolls;
    for (;; ovs::platformCalls().sleep(PollInterval)) {
        state = environment_->pollTask(request);
        if (state == TaskState::Request) {
            out << "." << std::flush;
            if (--acceptance == 0) {
                out << std::endl << "Task was not accepted: " << now() << std::endl;
                ovs::platformCalls().sleep(PollInterval); // the pause that follows every poll
                return false;
            }
        } else if (state == TaskState::Accepted) {
            out << "!" << std::flush;
            if (--aliveCheck == 0) {
                aliveCheck = AliveCheckPolls;
                if (!environment_->acrobatIsRunning(*acrobat_)) {
                    throw ovs::Exception(ovs::msg::AcrobatNotRunning);
                }
            }
        } else {
            return true;
        }
    }
}

void ThisApp::restartAcrobatIfDue(RequestTask& request) {
    if (!isPresent("restartacrobatevery")) {
        return;
    }
    ovs::Console& out = ovs::console();
    std::uint32_t every = parser_->findOption("restartacrobatevery")->value.asNumber();
    std::int32_t count = environment_->processedDocuments(request);
    out << " Whole number of processed documents: " << count << std::endl;
    if (static_cast<std::uint32_t>(count) >= every) {
        out << " Trying to restart acrobat at " << now() << std::endl;
        environment_->restartAcrobat(*acrobat_);
    }
}
