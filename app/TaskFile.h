// The task file, the one contract between the tool and the Veilgard PDF plug-in: its folder,
// its name and the names a reader of the folder leaves alone, its control-file type and
// header, the Task section a request starts with, and how its state and outcome read back.
// The request (RequestTask), the polls (Task), the clear mode (TaskDeleter) and the inspector
// (FraskPdfTasks) know task files only through this module.
#pragma once
#include "strings/FileString.h"
#include "platform/GuardedFiles.h"
#include "platform/Win32.h"
#include "profiling/ControlFileType.h"
#include "profiling/OrvaCtrlFile.h"
#include "strings/StringBase.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

namespace taskfile {

// --- The folder and the names in it ---

// Task ids run from 0 to IdCount - 1.
constexpr std::uint32_t IdCount = 10000;
// Every task file of a folder.
extern const char* const Pattern; // "Task*.ovc"
// The requests that runs write before they publish them (pendingNameOf).
extern const char* const PendingPattern; // "Task*.ovc.*.pending"

// The user's application-data folder joined with "ORVA-SYSTEMS" and "Veilgard PDF", without
// creating anything; empty when there is no application-data folder.
ovs::FileString folderLocation();
// "Task<id>.ovc": the id in plain decimal.
std::string nameOf(std::uint32_t id);
// The id of a name as nameOf writes it, in any letter case ("TASK417.OVC"); IdCount for any
// other name (leading zeros, more than four digits, other characters).
std::uint32_t idOfName(std::string_view name);
// What a listing shows as a task file's id: the name (without folder) between "Task" and
// ".ovc", whatever it is ("Notes" for TaskNotes.ovc); a name shorter than "Task.ovc" whole.
std::string idTextOfName(std::string_view path);

// "<task name>.<process>-<count>.pending": the name a request is written under before it is
// published as the task name. The pattern never matches it, so neither the plug-in nor a
// clear of task files takes it for a task.
std::string pendingNameOf(const std::string& taskName, DWORD process, unsigned count);
// True for a name that ends in ".pending" (any letter case).
bool isPendingName(std::string_view name);
// The process that wrote a pending name (folder and letter case do not matter); 0 for a name
// of any other form.
DWORD writerOfPending(std::string_view name);

// "<task name>.<process>.waiting": the marker a run keeps beside its task file while it waits
// for the task (RequestTask); a clear of finished tasks leaves the task file alone while that
// process runs. Outside the pattern, like a pending name.
extern const char* const WaitingPattern; // "Task*.ovc.*.waiting"
std::string waitingNameOf(const std::string& taskName, DWORD process);
// True for a name that ends in ".waiting" (any letter case).
bool isWaitingName(std::string_view name);
// The process a marker names (folder and letter case do not matter); 0 for a name of any
// other form.
DWORD writerOfWaiting(std::string_view name);

// ".<file name>.~<process>-<count>.tmp": the temporary under which a writer (the POSIX
// profile functions) puts the new text of a task file or pending request in place. Hidden,
// and outside the pattern.
extern const char* const TemporaryPattern; // ".Task*.tmp"
// True for a name of that form (any letter case) around a task name or a pending name.
bool isTemporaryName(std::string_view name);
// The process that wrote such a temporary; 0 for a name of any other form.
DWORD writerOfTemporary(std::string_view name);

// The task name (without folder) that a pending request, a marker or a temporary belongs to:
// the file name without a leading point, cut behind the first ".ovc" (any letter case) that
// ends it or that a point follows; the whole name when it holds none.
std::string taskNameOfLeftover(std::string_view path);

// Whether the process that wrote a leftover still runs. One that cannot be asked (another
// user's) counts as running, so that nothing of it is taken away; 0 never runs.
bool writerRuns(DWORD process);

// --- The control-file type, the header and the content a request starts with ---

// The type every task file carries: the header is required and a Specification must equal
// "ORVA Frask Pdf Task File"; version 1.0, any older one accepted; the Windows private-profile
// store.
const ControlFileType& type();
// How much of a file's beginning beginsWithTaskHeader needs: the header section as the tool
// writes it takes about 170 bytes.
constexpr std::size_t HeaderBytes = 1024;
// True when the text's first section is the control-file header and its Guid names the task
// file type, read as the header check of every control file reads it.
bool beginsWithTaskHeader(std::string_view head);

// The sections and entries of a task file.
extern const char* const TaskTopic;             // "Task"
extern const char* const ParameterTopic;        // "Parameter"
extern const char* const StateKey;              // "State"
extern const char* const LastErrorKey;          // "LastError"
extern const char* const ProcessedDocumentsKey; // "WholeNumberOfProcessedDocuments"
extern const char* const IdKey;                 // "Id"
// The lines of section Task as a request starts: Id, State Request, MajorVersion 21,
// MinorVersion 2.
std::vector<ovs::String> requestLines(std::uint32_t id);

// --- States ---

// The TaskState of a State entry's text: exact, case-sensitive comparison; Invalid for any
// other text. NotAccessible is never returned.
TaskState stateOf(std::string_view text);
// "Request", "Accepted", "Finished", "Error"; "not accessible" and "invalid" for the other two.
const char* stateName(TaskState state);
// The state the State entry of the control file's section Task reads now (the topic stays
// Task). Throws the store's errors.
TaskState readState(ovs::OrvaCtrlFile& file);

// A LastError text as a number: decimal digits with an optional sign, within 32 bits (a value
// beyond 2^31 - 1 is one the plug-in may report, read as the signed number it wraps to).
// False for anything else: an empty text, other characters, a value out of range.
bool lastErrorNumber(std::string_view text, std::int32_t& number);

// The longest task file a poll reads. A request holds the header, section Task and the
// command line's options, a few kilobytes at most; a longer file is damaged (1031).
constexpr std::size_t LongestTaskFile = 1 << 20;

// What a task file says, read from its bytes.
struct Content {
    TaskState state = TaskState::Invalid;
    bool hasStateText = false;   // whether there is a State entry
    std::string stateText;       // the State entry as it stands (the inspector shows an invalid one)
    std::int64_t documents = -1; // WholeNumberOfProcessedDocuments; -1 when absent
    std::int32_t lastError = 0;  // LastError; 0 when absent or no number (lastErrorNumber)
    bool hasLastError = false;   // whether the entry is there
    std::string lastErrorText;   // as it stands
    std::vector<std::pair<std::string, std::string>> parameters; // section Parameter, in file order
};
// How much of a task file a read takes in: the state alone (a clear), the state and the
// outcome (a poll), or everything the inspector shows (also the State text and section
// Parameter).
enum class Reading { State, Outcome, Everything };

// Reads what task files say from their bytes, in memory only, through one control file of
// the task file type that serves every file it is given: a clear reads thousands, and a
// control file and its stores cost more to make than a task file's few lines to read.
class ContentReader {
public:
    ContentReader();
    ContentReader(const ContentReader&) = delete;
    ContentReader& operator=(const ContentReader&) = delete;

    // Checks the header of the bytes of the task file at path (as the tool checks it when it
    // polls) and reads what `what` asks for. Throws the header errors and the store's errors,
    // with the path as location.
    Content read(const std::string& path, const std::string& bytes, Reading what = Reading::Everything);
    // The integer entry of section Task in the bytes read last, read as the control file reads
    // integers: throws the store's error, with file, topic and value named, when it is missing.
    std::int32_t readInteger(const std::string& key);

private:
    ControlFileType type_;
    ovs::OrvaCtrlFile control_;
};

// ContentReader::read of everything, through a reader of its own.
Content readContent(const std::string& path, const std::string& bytes);

// --- Reading an entry of the task folder ---

// One entry of the task folder, opened for reading through a handle that neither writes nor
// keeps anyone else from reading, writing, renaming or deleting the file. Every reader of a
// task file's bytes opens it here. Only a regular file is opened, and the open never waits: a
// FIFO or a device put at a task name fails with ovs::platform::ErrorNotARegularFile.
class EntryReader {
public:
    // Opens the file; isOpen tells whether that worked.
    explicit EntryReader(const std::string& path);
    ~EntryReader();
    EntryReader(const EntryReader&) = delete;
    EntryReader& operator=(const EntryReader&) = delete;

    bool isOpen() const;
    // The Windows error of the open, or of the last call that failed.
    DWORD error() const { return error_; }
    // Throws the ovs::FileException of the failed open as the file class raises it for a
    // file that must exist and is only read: 1001 when the path is no file (no Windows
    // error), else the mapped number of error() (1004 by default).
    [[noreturn]] void raiseOpenError() const;

    // The last write, in seconds since 1970-01-01 UTC, and the size; false when either
    // cannot be asked (error() tells why).
    bool status(std::int64_t& modified, std::uint64_t& size);
    // Reads from the current position until limit bytes or the end of the file are reached;
    // bytes holds what was read. False when a read fails (error() tells why).
    bool read(std::string& bytes, std::size_t limit);
    // Up to count bytes in one read call; what was read, or -1 when the call fails.
    long readOnce(char* buffer, std::size_t count);

private:
    std::string path_;
    ovs::platform::RegularFileReader reader_;
    DWORD error_ = 0;
};

} // namespace taskfile
