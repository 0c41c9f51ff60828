// What FraskPdfTasks knows about one task file, read without writing, locking or creating
// anything, and the two forms it prints: a text line or a JSON object.
#pragma once
#include "files/FileString.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct TaskListing {
    std::string file;            // the full path, Windows form
    std::string id;              // the file name between "Task" and ".ovc"
    std::string state;           // Request, Accepted, Finished, Error, invalid, empty, or damaged
    std::int64_t modified = 0;   // last write, seconds since 1970-01-01 UTC
    std::int64_t documents = -1; // WholeNumberOfProcessedDocuments; -1 when absent
    std::int32_t lastError = 0;  // LastError; for a damaged file the number of what is wrong
    std::string lastErrorText;   // its text from the message table
    std::vector<std::pair<std::string, std::string>> parameters; // section Parameter, in file order
};

// The state of a task file that cannot be read or whose header is wrong.
extern const char* const DamagedState;
// The state of a task file without any content: one that the tool has just created and not
// yet written its header into, or one left empty.
extern const char* const EmptyState;

// Reads one task file through a read-only handle that shares reading, writing and deleting
// with everyone; the text is checked and read in memory. Never throws: a file that cannot
// be read, or is not a task file of this version, comes back as DamagedState with the
// reason as lastError and lastErrorText.
TaskListing readTaskListing(const std::string& file);

// The task files of the folder, oldest first, then by name. Throws
// ovs::FileException 1002 when the folder does not exist.
std::vector<TaskListing> listTaskFolder(const ovs::FileString& folder);

// One line: id, state, age, documents, the last error ("OV3505 There were ...", or "no
// error"), and input -> output.
std::string listingLine(const TaskListing& task, std::int64_t now);
// "45s", "2m 05s", "3h 07m", "4d 02h"; a time in the future counts as 0s.
std::string ageText(std::int64_t seconds);
// "2026-12-06T01:37:49Z".
std::string isoTime(std::int64_t secondsSince1970);
// A JSON array with one object per task and line, ending with a line feed.
std::string listingJson(const std::vector<TaskListing>& tasks);
// A JSON string literal of narrow text in the ANSI code page: quotes, backslashes and
// control characters escaped, every character beyond ASCII as \uXXXX (surrogate pairs
// above U+FFFF), so that the output is plain ASCII whatever the console's code page.
std::string jsonString(const std::string& text);
