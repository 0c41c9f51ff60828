// Creating task files and following their state while the plug-in works on them.
#include "RequestTask.h"
#include "MessageNumbers.h"
#include "files/File.h"
#include "files/FileError.h"
#include "platform/FolderNames.h"
#include "platform/Win32.h"
#include "runtime/Exception.h"

#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// Candidate names tried in vain, beyond the first, before giving up.
constexpr unsigned MaximumRetries = 10000;

[[noreturn]] void refuseCreation() {
    throw ovs::Exception(ovs::msg::FreeFatalError,
                         "Couldn't create a Task file. If there are too much task files in the task folder, "
                         "please use the  -clear option to delete finished task files.");
}

} // namespace

RequestTask::RequestTask(const ovs::FileString& path) : Task(path) {}

RequestTask::~RequestTask() {
    discardPending();
}

std::uint32_t RequestTask::drawTaskId() {
    std::uint32_t r1 = static_cast<std::uint32_t>(std::rand());
    std::uint32_t r2 = static_cast<std::uint32_t>(std::rand());
    std::uint32_t r3 = static_cast<std::uint32_t>(std::rand());
    std::uint32_t r4 = static_cast<std::uint32_t>(std::rand());
    return (r3 * (r1 * r2) - r4) % taskfile::IdCount;
}

ovs::FileString RequestTask::makeTaskFileName(std::uint32_t& id) {
    ovs::FileString path = taskFolder();
    id = drawTaskId();
    return path.join(taskfile::nameOf(id));
}

void RequestTask::listTakenIds(const ovs::FileString& folder) {
    taken_.assign(taskfile::IdCount, false);
    ovs::FileString pattern = folder;
    for (const std::string& name : ovs::platform::namesMatching(pattern.join(taskfile::Pattern))) {
        std::uint32_t id = taskfile::idOfName(name);
        if (id < taskfile::IdCount) {
            taken_[id] = true;
        }
    }
}

ovs::FileString RequestTask::nextFreeName(const ovs::FileString& folder, std::uint32_t& id) {
    while (taken_[id]) {
        if (++retries_ > MaximumRetries) {
            refuseCreation();
        }
        id = drawTaskId();
    }
    ovs::FileString name = folder;
    return name.join(taskfile::nameOf(id)).absolute();
}

// The request is written completely under a name that no reader of task files looks at and
// then moved to its task name only while that name is free. Creating Task<id>.ovc in place,
// entry by entry, let the plug-in take a request whose parameters were not all written yet,
// and let two runs that drew the same id overwrite each other's file.
std::uint32_t RequestTask::createTaskFile() {
    discardPending();
    std::uint32_t id = 0;
    // The first candidate; a taken one draws again in the same folder.
    const ovs::FileString folder = makeTaskFileName(id).absolute().folder();
    listTakenIds(folder);
    retries_ = 0;
    taskName_ = nextFreeName(folder, id);
    // Neither the plug-in nor the cleanup takes a pending name for a task, not even when a
    // killed run leaves it behind.
    static unsigned pendingCount = 0;
    pending_ = ovs::FileString(taskfile::pendingNameOf(taskName_, GetCurrentProcessId(), pendingCount++));
    try {
        file_.create(pending_);
        writeTaskSection(id);
    } catch (...) {
        discardPending();
        throw;
    }
    return id;
}

// One write for the whole section: every write of a control file replaces the file.
void RequestTask::writeTaskSection(std::uint32_t id) {
    file_.profiling().setTopic(taskfile::TaskTopic);
    file_.writeTopicLines(taskfile::requestLines(id));
}

std::uint32_t RequestTask::publish(std::uint32_t id) {
    while (!MoveFileExA(pending_.c_str(), taskName_.c_str(), 0)) {
        DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
            raiseFileError(taskName_, ovs::msg::FileCannotBeCreated, error);
        }
        // Another run took the name since the folder was listed.
        taken_[id] = true;
        id = drawTaskId();
        taskName_ = nextFreeName(taskName_.folder(), id);
        file_.profiling().setTopic(taskfile::TaskTopic);
        file_.writeInteger(taskfile::IdKey, id);
    }
    pending_.clear();
    path_ = taskName_;
    return id;
}

void RequestTask::discardPending() {
    if (!pending_.empty()) {
        DeleteFileA(pending_.c_str());
        pending_.clear();
    }
}

void RequestTask::refuseLineBreaks(const ParameterMap& parameters) {
    for (const auto& [name, value] : parameters) {
        std::string text;
        if (value.type() == OptionValue::Type::Text) {
            text = value.asText();
        } else if (value.type() == OptionValue::Type::Path) {
            text = value.asPath();
        } else if (value.type() == OptionValue::Type::Character) {
            text = std::string(1, value.asCharacter());
        }
        // A line break would end the entry in the task file and start another one that the
        // plug-in obeys, so such a value is refused although the file format would take it.
        if (text.find_first_of("\r\n") != std::string::npos) {
            throw ovs::Exception(ovs::msg::LineBreakInValue, name);
        }
    }
}

void RequestTask::writeParameters(const ParameterMap& parameters) {
    for (const auto& [name, value] : parameters) {
        switch (value.type()) {
        case OptionValue::Type::Empty: file_.writeInteger(name, 1); continue;
        case OptionValue::Type::Character: file_.writeText(name, std::string(1, value.asCharacter())); continue;
        case OptionValue::Type::Number: file_.writeInteger(name, value.asNumber()); continue;
        case OptionValue::Type::Text: file_.writeText(name, value.asText()); continue;
        case OptionValue::Type::Path: file_.writeText(name, value.asPath()); continue;
        }
        throw ovs::Exception(ovs::msg::FreeFatalError, "Unkown type");
    }
}

std::uint32_t RequestTask::submit(const ParameterMap& parameters) {
    refuseLineBreaks(parameters);
    std::uint32_t id = createTaskFile();
    try {
        file_.profiling().setTopic(taskfile::ParameterTopic);
        writeParameters(parameters);
        file_.profiling().flush();
        id = publish(id);
    } catch (...) {
        discardPending();
        throw;
    }
    return id;
}

namespace {

// A LastError text as a number: decimal digits with an optional sign, within 32 bits (a value
// beyond 2^31 - 1 is a number the plug-in may report, read as the signed number it wraps to).
bool lastErrorNumber(std::string_view text, std::int32_t& number) {
    bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string_view::npos) {
        return false;
    }
    std::uint64_t value = std::stoull(std::string(text));
    if (value > (negative ? 0x80000000ull : 0xFFFFFFFFull)) {
        return false;
    }
    std::uint32_t bits = static_cast<std::uint32_t>(value);
    number = static_cast<std::int32_t>(negative ? 0u - bits : bits);
    return true;
}

} // namespace

std::int32_t RequestTask::resultError() {
    if (!openForReading()) {
        return ovs::msg::TaskFileNotAccessible;
    }
    ovs::Profiling& store = file_.profiling();
    store.setTopic("Task");
    ovs::String text;
    bool present = store.readEntry("LastError", text);
    store.flush();
    if (!present) {
        return lastError();
    }
    // The integer read would give 0 for "abc", an empty value or 4294967296, and a task that
    // the plug-in failed would then be reported as aborted, with exit code 0.
    std::int32_t number = 0;
    if (!lastErrorNumber(text, number)) {
        throw ovs::Exception(ovs::msg::UnreadableResult, file_.path());
    }
    return number;
}

TaskState RequestTask::pollState() {
    TaskState state = readState();
    if (state == TaskState::Error) {
        std::int32_t error = resultError();
        if (error != 0) {
            throw ovs::Exception(error, file_.path());
        }
    } else if (state == TaskState::Invalid) {
        throw ovs::Exception(ovs::msg::FreeFatalError, "Unkown state in task request file");
    }
    return state;
}
