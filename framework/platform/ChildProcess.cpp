// The part of ovs::platform::ChildProcess that is the same on every platform: the child's
// environment and runProgram. Starting, waiting and ending live in posix/ovs and windows.
#include "platform/ChildProcess.h"
#include "platform/ChildProcessParts.h"

namespace ovs::platform {

std::vector<std::string> childEnvironment(const ChildProcess::Options& options) {
    std::vector<std::string> result;
    for (std::string& text : ownEnvironment()) {
        // Windows keeps per-drive folders as "=C:=C:\...": the name never starts at an '='.
        const std::string name = text.substr(0, text.find('=', 1));
        bool replaced = false;
        for (const auto& variable : options.environment) {
            replaced = replaced || sameVariableName(variable.first, name);
        }
        if (!replaced) {
            result.push_back(std::move(text));
        }
    }
    for (const auto& variable : options.environment) {
        result.push_back(variable.first + "=" + variable.second);
    }
    return result;
}

std::uint32_t runProgram(const ChildProcess::Options& options, std::string& output) {
    ChildProcess child(options);
    std::uint32_t code = child.wait();
    output = child.output();
    return code;
}

} // namespace ovs::platform
