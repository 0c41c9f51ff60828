// Reading the stand-in's script from its environment variables.
#include "Script.h"

#include <cstdio>
#include <cstdlib>

namespace {

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::uint32_t number(const char* name, std::uint32_t fallback) {
    std::string text = variable(name);
    return text.empty() ? fallback : static_cast<std::uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
}

} // namespace

Script readScript() {
    Script script;
    std::string behaviour = variable("OVS_ACROBAT_BEHAVIOUR");
    std::string argument;
    std::size_t colon = behaviour.find(':');
    if (colon != std::string::npos) {
        argument = behaviour.substr(colon + 1);
        behaviour.erase(colon);
    }
    if (behaviour.empty() || behaviour == "process") {
        script.behaviour = Behaviour::Process;
    } else if (behaviour == "never-accept") {
        script.behaviour = Behaviour::NeverAccept;
    } else if (behaviour == "finish") {
        script.behaviour = Behaviour::Finish;
        script.documents =
            argument.empty() ? 1 : static_cast<std::uint32_t>(std::strtoul(argument.c_str(), nullptr, 10));
    } else if (behaviour == "abort") {
        script.behaviour = Behaviour::Abort;
    } else if (behaviour == "fail") {
        script.behaviour = Behaviour::Fail;
        script.lastError = static_cast<std::uint32_t>(std::strtoul(argument.c_str(), nullptr, 10));
    } else if (behaviour == "fail-text") {
        script.behaviour = Behaviour::FailText;
        script.lastErrorText = argument;
    } else if (behaviour == "exit-while-accepted") {
        script.behaviour = Behaviour::ExitWhileAccepted;
    } else if (behaviour == "invalid-state") {
        script.behaviour = Behaviour::InvalidState;
        if (colon != std::string::npos) {
            script.stateText = argument;
        }
    } else if (behaviour == "header-version-2") {
        script.behaviour = Behaviour::HeaderVersion2;
    } else if (behaviour == "spoil") {
        script.behaviour = Behaviour::Spoil;
        script.spoiling = argument;
    } else {
        std::fprintf(stderr, "Acrobat stand-in: unknown OVS_ACROBAT_BEHAVIOUR %s, processing tasks\n",
                     behaviour.c_str());
    }
    script.acceptDelayMs = number("OVS_ACROBAT_ACCEPT_MS", 0);
    script.documentMs = number("OVS_ACROBAT_DOCUMENT_MS", 0);
    script.settleMs = number("OVS_ACROBAT_SETTLE_MS", 300);
    script.idleExitSeconds = number("OVS_ACROBAT_IDLE_EXIT_S", 0);
    script.taskFolder = variable("OVS_ACROBAT_TASK_FOLDER");
    script.stopFile = variable("OVS_ACROBAT_STOP_FILE");
    script.logFile = variable("OVS_ACROBAT_LOG");
    if (!variable("OVS_ACROBAT_QPDF").empty()) {
        script.qpdf = variable("OVS_ACROBAT_QPDF");
    }
    return script;
}
