// Creating task files and following their state while the plug-in works on them.
#include "RequestTask.h"
#include "MessageNumbers.h"
#include "platform/Win32.h"
#include "runtime/Exception.h"

#include <cstdlib>

namespace {

// Candidate names tried in vain, beyond the first, before giving up.
constexpr unsigned MaximumRetries = 10000;
// The request version the tool writes.
constexpr std::uint32_t RequestMajorVersion = 21;
constexpr std::uint32_t RequestMinorVersion = 2;

} // namespace

RequestTask::RequestTask(const ovs::FileString& path) : Task(path) {}

RequestTask::~RequestTask() = default;

std::uint32_t RequestTask::drawTaskId() {
    std::uint32_t r1 = static_cast<std::uint32_t>(std::rand());
    std::uint32_t r2 = static_cast<std::uint32_t>(std::rand());
    std::uint32_t r3 = static_cast<std::uint32_t>(std::rand());
    std::uint32_t r4 = static_cast<std::uint32_t>(std::rand());
    return (r3 * (r1 * r2) - r4) % 10000u;
}

ovs::FileString RequestTask::makeTaskFileName(std::uint32_t& id) {
    ovs::FileString path = taskFolder();
    id = drawTaskId();
    return path.join("Task" + std::to_string(id) + ".ovc");
}

std::uint32_t RequestTask::createTaskFile() {
    std::uint32_t id = 0;
    ovs::FileString candidate = makeTaskFileName(id);
    unsigned retries = 0;
    while (GetFileAttributesA(candidate.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (++retries > MaximumRetries) {
            throw ovs::Exception(ovs::msg::FreeFatalError,
                                 "Couldn't create a Task file. If there are too much task files in the task folder, "
                                 "please use the  -clear option to delete finished task files.");
        }
        candidate = makeTaskFileName(id);
    }
    // A name without a folder (no application-data folder) is created where it was tested,
    // in the current folder, not where the private-profile functions would put a bare name.
    file_.create(candidate.absolute());
    file_.profiling().setTopic("Task");
    file_.writeInteger("Id", id);
    file_.writeText("State", "Request");
    file_.writeInteger("MajorVersion", RequestMajorVersion);
    file_.writeInteger("MinorVersion", RequestMinorVersion);
    return id;
}

void RequestTask::writeParameters(const ParameterMap& parameters) {
    for (const auto& [name, value] : parameters) {
        switch (value.type()) {
        case OptionValue::Type::Empty:
            file_.writeInteger(name, 1);
            continue;
        case OptionValue::Type::Character:
            file_.writeText(name, std::string(1, value.asCharacter()));
            continue;
        case OptionValue::Type::Number:
            file_.writeInteger(name, value.asNumber());
            continue;
        case OptionValue::Type::Text:
            file_.writeText(name, value.asText());
            continue;
        case OptionValue::Type::Path:
            file_.writeText(name, value.asPath());
            continue;
        }
        throw ovs::Exception(ovs::msg::FreeFatalError, "Unkown type");
    }
}

std::uint32_t RequestTask::submit(const ParameterMap& parameters) {
    std::uint32_t id = createTaskFile();
    file_.profiling().setTopic("Parameter");
    writeParameters(parameters);
    file_.profiling().flush();
    return id;
}

TaskState RequestTask::pollState() {
    TaskState state = readState();
    if (state == TaskState::Error) {
        std::int32_t error = lastError();
        if (error != 0) {
            throw ovs::Exception(error, file_.path());
        }
    } else if (state == TaskState::Invalid) {
        throw ovs::Exception(ovs::msg::FreeFatalError, "Unkown state in task request file");
    }
    return state;
}
