// Creating task files and following their state while the plug-in works on them.
#include "RequestTask.h"
#include "MessageNumbers.h"
#include "files/File.h"
#include "files/FileError.h"
#include "platform/FolderNames.h"
#include "platform/GuardedFiles.h"
#include "platform/PlatformCalls.h"
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

// A section as the private-profile functions write it: its name in brackets, then one line
// per entry, every line ended by CR LF. A section without entries is not written.
void appendSection(std::string& text, const char* name, const std::vector<ovs::String>& lines) {
    if (lines.empty()) {
        return;
    }
    text.append("[").append(name).append("]\r\n");
    for (const ovs::String& line : lines) {
        text.append(line).append("\r\n");
    }
}

// The control-file header's entries for the type, in the order the control file writes them.
std::vector<ovs::String> headerLines(const ControlFileType& type) {
    std::vector<ovs::String> lines;
    if (type.typeGuid) {
        lines.push_back("Guid=" + ovs::OrvaCtrlFile::guidText(*type.typeGuid));
    }
    if (type.description) {
        lines.push_back(ovs::String("Description=") + type.description);
    }
    if (type.version.major != 0) {
        lines.push_back("Version=" + ovs::OrvaCtrlFile::versionText(type.version.major, type.version.minor));
    }
    lines.push_back("Encoding=UTF-8");
    return lines;
}

} // namespace

RequestTask::RequestTask(const ovs::FileString& path) : Task(path) {}

RequestTask::~RequestTask() {
    discardPending();
    removeMarker();
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
// and let two runs that drew the same id overwrite each other's file. The whole request is
// written at once, through the handle that made the file: whoever else may write the task
// folder can swap the name for a link, but never make the run write through it.
std::uint32_t RequestTask::createTaskFile() {
    discardPending();
    std::uint32_t id = 0;
    // The first candidate; a taken one draws again in the same folder.
    const ovs::FileString folder = makeTaskFileName(id).absolute().folder();
    if (ovs::platform::othersMaySwapEntries(folder)) {
        throw ovs::Exception(ovs::msg::UnsafeTaskFolder, folder);
    }
    listTakenIds(folder);
    retries_ = 0;
    taskName_ = nextFreeName(folder, id);
    writePending(id);
    return id;
}

void RequestTask::writePending(std::uint32_t id) {
    // Neither the plug-in nor the cleanup takes a pending name for a task, not even when a
    // killed run leaves it behind.
    static unsigned pendingCount = 0;
    const ovs::FileString pending(taskfile::pendingNameOf(taskName_, GetCurrentProcessId(), pendingCount++));
    std::string text;
    appendSection(text, ovs::OrvaCtrlFile::HeaderTopic, headerLines(type_));
    appendSection(text, taskfile::TaskTopic, taskfile::requestLines(id));
    appendSection(text, taskfile::ParameterTopic, parameterLines_);
    DWORD error = ovs::platformCalls().createFileWith(pending, text, pendingIdentity_);
    if (error != ERROR_SUCCESS) {
        ovs::raiseFileError(pending, ovs::msg::FileCannotBeCreated, error);
    }
    pending_ = pending;
}

void RequestTask::refuseForeign(const ovs::FileString& name, const ovs::platform::FileIdentity& own) {
    ovs::platform::FileIdentity now;
    if (!ovs::platform::regularFileIdentity(name, now) || now != own) {
        const ovs::FileString foreign = name; // may be pending_ itself
        pending_.clear();                     // not ours: left as it is
        throw ovs::Exception(ovs::msg::RequestReplaced, foreign);
    }
}

std::uint32_t RequestTask::publish(std::uint32_t id) {
    for (;;) {
        placeMarker();
        refuseForeign(pending_, pendingIdentity_);
        if (ovs::platformCalls().moveFileEx(pending_.c_str(), taskName_.c_str(), 0)) {
            break;
        }
        DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
            raiseFileError(taskName_, ovs::msg::FileCannotBeCreated, error);
        }
        // Another run took the name since the folder was listed: the request is written anew
        // under the next free id, and the one of the taken id goes.
        taken_[id] = true;
        id = drawTaskId();
        taskName_ = nextFreeName(taskName_.folder(), id);
        const ovs::FileString taken = pending_;
        const ovs::platform::FileIdentity takenIdentity = pendingIdentity_;
        writePending(id);
        ovs::platform::removeOwnFile(taken, takenIdentity);
    }
    pending_.clear();
    path_ = taskName_;
    // A neighbour may have swapped the pending name between the look and the move: then the
    // task name holds that neighbour's file, which stays as it is.
    refuseForeign(taskName_, pendingIdentity_);
    return id;
}

// The marker names the run that waits for the task: a clear of finished tasks leaves the task
// file alone while that run lives (TaskDeleter).
void RequestTask::placeMarker() {
    const ovs::FileString marker(taskfile::waitingNameOf(taskName_, GetCurrentProcessId()));
    if (marker == marker_) {
        return;
    }
    removeMarker();
    DWORD error = ovs::platformCalls().createFileWith(marker, std::string(), markerIdentity_);
    if (error != ERROR_SUCCESS) {
        ovs::raiseFileError(marker, ovs::msg::FileCannotBeCreated, error);
    }
    marker_ = marker;
}

void RequestTask::removeMarker() {
    if (!marker_.empty()) {
        ovs::platform::removeOwnFile(marker_, markerIdentity_);
        marker_.clear();
    }
}

void RequestTask::discardPending() {
    if (!pending_.empty()) {
        ovs::platform::removeOwnFile(pending_, pendingIdentity_);
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

// The entries go into the request's section Parameter, which createTaskFile writes with the
// rest of the request.
void RequestTask::writeParameters(const ParameterMap& parameters) {
    for (const auto& [name, value] : parameters) {
        switch (value.type()) {
        case OptionValue::Type::Empty: parameterLines_.push_back(name + "=1"); continue;
        case OptionValue::Type::Character: parameterLines_.push_back(name + "=" + value.asCharacter()); continue;
        case OptionValue::Type::Number:
            parameterLines_.push_back(name + "=" + std::to_string(value.asNumber()));
            continue;
        case OptionValue::Type::Text: parameterLines_.push_back(name + "=" + value.asText()); continue;
        case OptionValue::Type::Path: parameterLines_.push_back(name + "=" + value.asPath()); continue;
        }
        throw ovs::Exception(ovs::msg::FreeFatalError, "Unkown type");
    }
}

std::uint32_t RequestTask::submit(const ParameterMap& parameters) {
    refuseLineBreaks(parameters);
    parameterLines_.clear();
    writeParameters(parameters);
    std::uint32_t id = createTaskFile();
    try {
        id = publish(id);
    } catch (...) {
        discardPending();
        throw;
    }
    return id;
}

std::int32_t RequestTask::resultError() {
    if (!content_.hasLastError) {
        return lastError();
    }
    // The integer read would give 0 for "abc", an empty value or 4294967296, and a task that
    // the plug-in failed would then be reported as aborted, with exit code 0.
    std::int32_t number = 0;
    if (!taskfile::lastErrorNumber(content_.lastErrorText, number)) {
        throw ovs::Exception(ovs::msg::UnreadableResult, path_);
    }
    return number;
}

TaskState RequestTask::pollState() {
    TaskState state = readState();
    if (state == TaskState::Error) {
        std::int32_t error = resultError();
        if (error != 0) {
            throw ovs::Exception(error, path_);
        }
    } else if (state == TaskState::Invalid) {
        throw ovs::Exception(ovs::msg::FreeFatalError, "Unkown state in task request file");
    }
    return state;
}
