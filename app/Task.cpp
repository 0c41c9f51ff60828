// Reading task files: the task folder, state and integer results.
#include "Task.h"
#include "MessageNumbers.h"
#include "files/File.h"
#include "platform/Win32.h"
#include "runtime/Exception.h"

Task::Task(const ovs::FileString& path) : path_(path), type_(taskfile::type()) {
    file_.setType(&type_);
}

Task::~Task() = default;

ovs::FileString Task::taskFolderLocation() {
    return taskfile::folderLocation();
}

ovs::FileString Task::taskFolder() {
    ovs::FileString path = taskfile::folderLocation();
    if (!path.empty()) {
        ovs::File(path).createFolder(ovs::File::Folder | ovs::File::AllLevels);
    }
    return path;
}

namespace {

// A file that exists but may not be read would pass for one without a header. Only a denied
// access counts: a file that another process holds for a moment is read as usual.
bool accessDenied(const ovs::FileString& path) {
    taskfile::EntryReader probe(path);
    return !probe.isOpen() && probe.error() == ERROR_ACCESS_DENIED;
}

} // namespace

bool Task::openForReading(bool askAccess) {
    if (askAccess && accessDenied(path_)) {
        return false;
    }
    try {
        file_.open(path_, ovs::OrvaCtrlFile::OpenMustExist);
    } catch (const ovs::FileException&) {
        return false;
    }
    return true;
}

TaskState Task::readState(bool askAccess) {
    if (!openForReading(askAccess)) {
        return TaskState::NotAccessible;
    }
    TaskState state = taskfile::readState(file_);
    file_.profiling().flush();
    return state;
}

std::int32_t Task::readTaskInteger(const std::string& key) {
    if (!openForReading()) {
        return ovs::msg::TaskFileNotAccessible;
    }
    file_.profiling().setTopic(taskfile::TaskTopic);
    std::int32_t value = file_.readInteger(key);
    file_.profiling().flush();
    return value;
}

std::int32_t Task::lastError() {
    return readTaskInteger(taskfile::LastErrorKey);
}

std::int32_t Task::processedDocuments() {
    return readTaskInteger(taskfile::ProcessedDocumentsKey);
}
