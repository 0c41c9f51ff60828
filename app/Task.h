// The reading side of the task-file exchange with the Veilgard PDF plug-in: where task files
// live, the control-file type they carry, and how their state and integer results are read
// back while the plug-in works on them.
// What a task file is (name, type, header, states) is TaskFile's; this class reads one.
#pragma once
#include "TaskFile.h"
#include "strings/FileString.h"
#include "profiling/OrvaCtrlFile.h"

#include <cstdint>
#include <string>

class Task {
public:
    // A task on the given task file; an empty path leaves the file to be named by a later
    // create (RequestTask).
    explicit Task(const ovs::FileString& path);
    virtual ~Task();
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;

    // The user's application-data folder joined with "ORVA-SYSTEMS" and "Veilgard PDF",
    // created with every missing level on each call; empty when there is no application-data
    // folder. Throws the file error of a folder that cannot be created.
    static ovs::FileString taskFolder();
    // Where taskFolder is, without creating anything; empty when there is no application-data
    // folder.
    static ovs::FileString taskFolderLocation();
    // Opens the task file (must exist) and checks its header. Returns false when the file may
    // not be read or cannot be opened (an ovs::FileException); a bad header throws its ovs::Exception.
    bool openForReading();
    // The state as the State entry reads now; NotAccessible when the file cannot be opened (it
    // is missing, may not be read, or is no regular file). Throws header errors, and 1031 for a
    // file longer than taskfile::LongestTaskFile. Keeps what the file said (content_): with
    // Reading::Outcome also the outcome a poll goes on with.
    TaskState readState(taskfile::Reading what = taskfile::Reading::Outcome);
    // The integer entry of section Task; 3003 when the file cannot be opened. Throws the
    // store's error (with file, topic and value named) for a missing or malformed entry.
    std::int32_t readTaskInteger(const std::string& key);
    // readTaskInteger of LastError.
    std::int32_t lastError();
    // readTaskInteger of WholeNumberOfProcessedDocuments.
    std::int32_t processedDocuments();

    // The first taskfile::HeaderBytes bytes of the file as the last read found it, for a header
    // check that needs no second read (TaskDeleter).
    const std::string& head() const { return head_; }

    // The task file's full path: the one given, or the one a request was published under.
    const ovs::FileString& taskFile() const { return path_; }
    // Makes path the task file that the reads after it go to: a clear reads each task file of
    // the folder through one Task.
    void setTaskFile(const ovs::FileString& path) { path_ = path; }

    // The control-file type of task files.
    const ControlFileType& type() const { return type_; }

protected:
    // Reads the file's bytes (at most the longest task file) and what they say; false when it
    // cannot be opened or read. Throws header errors and 1031 for a longer file.
    bool readContent(taskfile::Content& content, taskfile::Reading what);

    ovs::FileString path_;
    taskfile::Content content_;
    std::string head_;
    ControlFileType type_;
    ovs::OrvaCtrlFile file_;
    taskfile::ContentReader reader_; // every read of the file's bytes
};
