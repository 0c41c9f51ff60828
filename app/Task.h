// The reading side of the task-file exchange with the Veilgard PDF plug-in: where task files
// live, the control-file type they carry, and how their state and integer results are read
// back while the plug-in works on them.
#pragma once
#include "files/FileString.h"
#include "profiling/OrvaCtrlFile.h"

#include <cstdint>
#include <string>

// What the tool makes of a task file's State entry.
enum class TaskState : std::int32_t {
    NotAccessible = 0, // the file cannot be opened for reading
    Request = 1,
    Accepted = 2,
    Finished = 3,
    Error = 4,
    Invalid = 5 // State missing, empty or any other text
};

// {00000000-0000-1100-8000-0000C06B5161}, the type of every task file.
extern const GUID TaskFileTypeGuid;

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
    // The TaskState of a State entry's text: exact, case-sensitive comparison; Invalid for
    // any other text. NotAccessible is never returned.
    static TaskState stateOf(const std::string& text);
    // "Request", "Accepted", "Finished", "Error"; "not accessible" and "invalid" for the
    // other two.
    static const char* stateName(TaskState state);

    // Opens the task file (must exist) and checks its header. Returns false when the file may
    // not be read or cannot be opened (an ovs::FileException); a bad header throws its ovs::Exception.
    // askAccess false: whether the file may be read is not asked first, so a file that may not
    // be read gives a header error; for a caller that then looks at the file itself.
    bool openForReading(bool askAccess = true);
    // The state as the State entry reads now; NotAccessible when the file cannot be opened.
    // Throws header errors. askAccess as for openForReading.
    TaskState readState(bool askAccess = true);
    // The integer entry of section Task; 3003 when the file cannot be opened. Throws the
    // store's error (with file, topic and value named) for a missing or malformed entry.
    std::int32_t readTaskInteger(const std::string& key);
    // readTaskInteger of LastError.
    std::int32_t lastError();
    // readTaskInteger of WholeNumberOfProcessedDocuments.
    std::int32_t processedDocuments();

    // The task file's full path: the one given, or the one a request was published under.
    const ovs::FileString& taskFile() const { return path_; }

    // The control-file type of task files.
    const ControlFileType& type() const { return type_; }

protected:
    ovs::FileString path_;
    ControlFileType type_;
    ovs::OrvaCtrlFile file_;
};
