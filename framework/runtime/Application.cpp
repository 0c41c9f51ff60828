// The application base and the process run.
#include "runtime/Application.h"
#include "MessageNumbers.h"
#include "platform/PlatformInfo.h"
#include "platform/Win32.h"
#include "runtime/AutoInit.h"
#include "runtime/Console.h"
#include "runtime/ErrorLocation.h"
#include "runtime/Messages.h"
#include "runtime/ShutdownRelease.h"
#include "runtime/Singleton.h"
#include "runtime/SystemInfo.h"
#include "runtime/DateTime.h"

#include <cstring>
#include <vector>

namespace ovs {
namespace {

Application* currentApplication = nullptr;

constexpr int abortedByUser = 11;
// Overwrites whatever a progress line left behind before the abort text.
constexpr const char* lineClearing = "\r\r\t\t\t\t\t\t\t\t\t       \r";

// The framework's initialisers, registered during static initialisation in this order.
// They are deleted by the shutdown (AutoInitBase::destroyAll).
[[maybe_unused]] AutoInitBase* const registeredInitialisers[] = {
    new AutoInit<DateTimeInit>,
    new AutoInit<ConsoleStreamBuf>,
    new AutoInit<SystemInfoImpl>,
    new AutoInit<ErrorLocationInit>,
};

bool needsQuotes(const char* argument) {
    return argument[0] != '\0' && argument[0] != '"' && std::strpbrk(argument, " \t\n") != nullptr;
}

} // namespace

Application::Application(const std::string& messagePrefix, const std::string& applicationName)
    : StartUp(messagePrefix, applicationName) {
    currentApplication = this;
}

Application::~Application() {
    AutoInitBase::destroyAll();
    Singleton::destroyAll();
    deleteConsole();
    runShutdownReleases();
    if (currentApplication == this) {
        currentApplication = nullptr;
    }
}

FileString Application::programPath() const {
    return programPath_;
}

bool Application::initialise() {
    AutoInitBase::initialiseAll();
    return true;
}

bool Application::finish() {
    return true;
}

bool Application::acceptArgument(const StringBase<char>&) {
    return true;
}

int Application::onSignal(int) {
    return 1;
}

void Application::onAbort(const AbortException& exception) {
    if (exception.number() == abortedByUser) {
        console() << lineClearing << loadAndFormat(msg::AbortedByUser, applicationName().c_str()) << std::endl;
    }
    exitEarly(exception.number());
}

int Application::printException(const Exception& exception) {
    console() << exception.message() << std::endl;
    return exception.number();
}

int Application::handleException(const std::exception& exception) {
    if (const auto* abort = dynamic_cast<const AbortException*>(&exception)) {
        onAbort(*abort);
    }
    if (const auto* framework = dynamic_cast<const Exception*>(&exception)) {
        return printException(*framework);
    }
    console() << applicationName() << ": " << exception.what() << std::endl;
    return 3;
}

bool Application::isInteractive() {
    return false;
}

void Application::onIdle() {}

Application* Application::current() {
    return currentApplication;
}

const StringBase<char>& Application::commandLine() const {
    return commandLine_;
}

StringBase<char> Application::joinArguments(int argc, const char* const* argv) {
    StringBase<char> joined;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i] != nullptr ? argv[i] : "";
        if (i > 1) {
            joined += ' ';
        }
        if (needsQuotes(argument)) {
            joined += '"';
            joined += argument;
            joined += '"';
        } else {
            joined += argument;
        }
    }
    return joined;
}

FileString Application::programPathFrom(const char* argument0) {
    FileString path(argument0 != nullptr ? argument0 : "");
    FileString extension = path.extension();
    std::vector<char> lowered(extension.begin(), extension.end());
    if (!lowered.empty()) {
        CharLowerBuffA(lowered.data(), static_cast<DWORD>(lowered.size()));
    }
    if (std::string(lowered.begin(), lowered.end()) != "exe") {
        path += ".exe";
    }
    return path.absolute();
}

void Application::setArguments(int argc, const char* const* argv) {
    commandLine_ = joinArguments(argc, argv);
    programPath_ = programPathFrom(argc > 0 ? argv[0] : nullptr);
}

int Application::main(int argc, const char* const* argv) {
    setArguments(argc, argv);
    int result = 0;
    if (initialise()) {
        result = run();
    }
    if (!finish()) {
        exitEarly(2);
    }
    return result;
}

int runProcess(Application* (*create)(), int argc, const char* const* argv) {
    Application* application = nullptr;
    int result = 0;
    try {
        application = create();
        application->setInstanceModule(GetModuleHandleA(nullptr));
        result = application->main(argc, argv);
    } catch (const std::exception& exception) {
        if (Application* current = Application::current()) {
            current->handleException(exception);
            exitEarly(3);
        }
        console() << "Aborted: " << exception.what() << std::endl;
        exitEarly(1);
    }
    delete application;
    return platform::processExitStatus(result);
}

} // namespace ovs
