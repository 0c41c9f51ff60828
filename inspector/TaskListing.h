// What FraskPdfTasks knows about each entry of the task folder (task files, the requests that
// runs have not yet published, and the temporary files of writers), read without writing,
// locking or creating anything, and the two forms it prints: an aligned table or JSON.
#pragma once
#include "strings/FileString.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct TaskListing {
    enum class Kind {
        Task,     // "Task<id>.ovc", which the plug-in reads
        Pending,  // a request that its run has not yet published under the task name
        Temporary // a writer's temporary copy of a task or pending file
    };
    // A time that could not be read.
    static constexpr std::int64_t UnknownTime = INT64_MIN;

    Kind kind = Kind::Task;
    std::string file;  // the full path, in the framework's Windows form
    std::string id;    // the id in the task name ("4711"), as it stands
    std::string state; // Request, Accepted, Finished, Error, invalid, empty, damaged
    bool hasStateText = false;
    std::string stateText;               // the State entry as it stands in the file (shown for an invalid state)
    std::int64_t modified = UnknownTime; // last write, seconds since 1970-01-01 UTC
    std::int64_t documents = -1;         // WholeNumberOfProcessedDocuments; -1 when absent
    std::int32_t lastError = 0;          // the plug-in's LastError; 0 when absent or 0
    std::string lastErrorText;           // its text from the message table
    std::int32_t readError = 0;          // why the inspector could not read the file; 0 when it could
    std::string readErrorText;
    std::uint32_t writer = 0; // pending and temporary files: the process that wrote it (0: unknown)
    bool writerRunning = false;
    std::vector<std::pair<std::string, std::string>> parameters; // section Parameter, in file order

    // True for a permission check (readpermissions among the parameters).
    bool isPermissionCheck() const;
    // The parameter's value, or null.
    const std::string* parameter(const char* key) const;
};

// The state of a task file that cannot be read or whose header is wrong.
extern const char* const DamagedState;
// The state of a task file without any content: one that the tool has just created and not
// yet written its header into, or one left empty.
extern const char* const EmptyState;

// Reads one task or pending file through a read-only handle that shares reading, writing and
// deleting with everyone; the text is checked and read in memory. Never throws: a file that
// cannot be read, or is not a task file of this version, comes back as DamagedState with the
// reason as readError and readErrorText.
TaskListing readTaskListing(const std::string& file, TaskListing::Kind kind = TaskListing::Kind::Task);

// The entries of the folder: task files, pending requests and writers' temporary files, oldest
// first (an unknown time last), then by name. Throws ovs::FileException 1002 when the folder
// does not exist.
std::vector<TaskListing> listTaskFolder(const ovs::FileString& folder);

// The header line: "Task folder <folder>: 2 task files, 1 pending request, 1 temporary file"
// ("no task files" for none), the folder in the host's form.
std::string listingTitle(const std::string& folder, const std::vector<TaskListing>& tasks);
// The table: a header row and one row per entry, columns aligned, every line ending with a
// line feed; nothing for no entries.
std::string listingTable(const std::vector<TaskListing>& tasks, std::int64_t now);
// "45s", "2m 05s", "3h 07m", "4d 02h"; a time in the future counts as 0s.
std::string ageText(std::int64_t seconds);
// "2026-12-06T01:37:49Z".
std::string isoTime(std::int64_t secondsSince1970);
// Text with control characters (below 32, and 127) written as \xNN, so that no value of a
// file reaches the terminal as a control sequence.
std::string printable(const std::string& text);
// A JSON array with one object per entry and line, ending with a line feed.
std::string listingJson(const std::vector<TaskListing>& tasks);
// A JSON string literal of narrow text in the ANSI code page: quotes, backslashes and
// control characters escaped, every character beyond ASCII as \uXXXX (surrogate pairs
// above U+FFFF), so that the output is plain ASCII whatever the console's code page.
std::string jsonString(const std::string& text);
