// Reading task files: the task folder, state and integer results.
#include "Task.h"
#include "MessageNumbers.h"
#include "files/File.h"
#include "platform/Win32.h"
#include "platform/GuardedFiles.h"
#include "runtime/Exception.h"

#include <string>

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
    return !probe.isOpen() &&
           (probe.error() == ERROR_ACCESS_DENIED || probe.error() == ovs::platform::ErrorNotARegularFile);
}

} // namespace

bool Task::openForReading() {
    if (accessDenied(path_)) {
        return false;
    }
    try {
        file_.open(path_, ovs::OrvaCtrlFile::OpenMustExist);
    } catch (const ovs::FileException&) {
        return false;
    }
    return true;
}

// The file is read once, through a reader that opens only regular files and never waits, and
// at most to the longest task file: a FIFO, a device or a huge file put in its place can
// neither hang the poll nor fill the memory. What it says is read from those bytes.
bool Task::readContent(taskfile::Content& content, taskfile::Reading what) {
    taskfile::EntryReader reader(path_);
    std::string bytes;
    if (!reader.isOpen() || !reader.read(bytes, taskfile::LongestTaskFile + 1)) {
        return false;
    }
    if (bytes.size() > taskfile::LongestTaskFile) {
        ovs::Exception error(ovs::msg::FileCorrupt,
                             " (longer than " + std::to_string(taskfile::LongestTaskFile) + " bytes)");
        error.setLocation(path_);
        throw error;
    }
    head_.assign(bytes, 0, taskfile::HeaderBytes);
    content = reader_.read(path_, bytes, what);
    return true;
}

TaskState Task::readState(taskfile::Reading what) {
    content_ = taskfile::Content();
    if (!readContent(content_, what)) {
        return TaskState::NotAccessible;
    }
    return content_.state;
}

std::int32_t Task::readTaskInteger(const std::string& key) {
    taskfile::Content content;
    if (!readContent(content, taskfile::Reading::Outcome)) {
        return ovs::msg::TaskFileNotAccessible;
    }
    if (key == taskfile::ProcessedDocumentsKey && content.documents >= 0) {
        return static_cast<std::int32_t>(content.documents);
    }
    if (key == taskfile::LastErrorKey && content.hasLastError) {
        return content.lastError;
    }
    // An entry that is not there is asked for in the bytes just read, whose store then reports
    // it with the file, topic and value named. The file is not opened again: what is there now
    // may be something else.
    return reader_.readInteger(key);
}

std::int32_t Task::lastError() {
    return readTaskInteger(taskfile::LastErrorKey);
}

std::int32_t Task::processedDocuments() {
    return readTaskInteger(taskfile::ProcessedDocumentsKey);
}
