// Removing task files in the clear mode.
#include "TaskDeleter.h"
#include "MessageNumbers.h"
#include "files/File.h"
#include "files/FileError.h"
#include "platform/Win32.h"
#include "runtime/Console.h"
#include "strings/AsciiText.h"

#include <string>
#include <string_view>

namespace {

// The header section as the tool writes it takes about 170 bytes; a file whose header does
// not end within this much is no task file of ours.
constexpr std::uint32_t HeaderBytes = 1024;

// Blanks around a line's parts, and the line end's carriage return, do not count.
std::string_view trimmed(std::string_view text) {
    std::size_t first = text.find_first_not_of(" \t");
    std::size_t last = text.find_last_not_of(" \t\r");
    return first == std::string_view::npos ? std::string_view() : text.substr(first, last - first + 1);
}

// The first section is the control-file header and names the task-file type.
bool startsWithTaskHeader(std::string_view head) {
    static const std::string headerLine = std::string("[") + ovs::OrvaCtrlFile::HeaderTopic + "]";
    static const std::string guid = ovs::OrvaCtrlFile::guidText(TaskFileTypeGuid);
    // The header's first two lines as the tool writes them settle it at once.
    static const std::string written = headerLine + "\r\nGuid=" + guid + "\r\n";
    if (head.substr(0, written.size()) == written) {
        return true;
    }
    std::size_t at = head.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    bool inHeader = false;
    while (at < head.size()) {
        std::size_t end = head.find('\n', at);
        if (end == std::string_view::npos) {
            return false; // the header goes on beyond what was read
        }
        std::string_view line = trimmed(head.substr(at, end - at));
        at = end + 1;
        if (line.empty()) {
            continue;
        }
        if (line[0] == '[') {
            if (inHeader) {
                return false; // the header section ended without the type
            }
            inHeader = ovs::equalIgnoringAsciiCase(line, headerLine);
            if (!inHeader) {
                return false;
            }
        } else if (!inHeader) {
            return false;
        } else {
            std::size_t equals = line.find('=');
            if (equals != std::string_view::npos &&
                ovs::equalIgnoringAsciiCase(trimmed(line.substr(0, equals)), "Guid")) {
                return ovs::equalIgnoringAsciiCase(trimmed(line.substr(equals + 1)), guid);
            }
        }
    }
    return false;
}

const std::string PendingSuffix = ".pending";

std::string lowered(std::string text) {
    for (char& c : text) {
        c = ovs::lowerAscii(c);
    }
    return text;
}

bool isPendingName(std::string_view name) {
    return name.size() >= PendingSuffix.size() &&
           ovs::equalIgnoringAsciiCase(name.substr(name.size() - PendingSuffix.size()), PendingSuffix);
}

// For a pending name "task<id>.ovc.<process>-<count>.pending" (lower case), under which a run
// writes its request before publishing it: the process id. 0 for a name of any other form.
DWORD writerOfPending(const std::string& lowerName) {
    std::size_t ovc = lowerName.find(".ovc.");
    std::size_t end = lowerName.size() - PendingSuffix.size();
    if (ovc == std::string::npos || ovc + 5 > end) {
        return 0;
    }
    std::string middle = lowerName.substr(ovc + 5, end - ovc - 5);
    std::size_t dash = middle.find('-');
    bool digits = dash != std::string::npos && dash > 0 && dash <= 10 && dash + 1 < middle.size() &&
                  middle.find_first_not_of("0123456789") == dash &&
                  middle.find_first_not_of("0123456789", dash + 1) == std::string::npos;
    unsigned long long id = digits ? std::stoull(middle.substr(0, dash)) : 0;
    return id > 0xFFFFFFFFull ? 0 : static_cast<DWORD>(id);
}

// Whether the process still runs. One that cannot be asked (another user's, say) counts as
// running: its file is left alone.
bool stillRunning(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr) {
        return GetLastError() != ERROR_INVALID_PARAMETER;
    }
    DWORD code = 0;
    BOOL asked = GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return !asked || code == STILL_ACTIVE;
}

} // namespace

TaskDeleter::TaskDeleter(std::uint32_t deletionMode) : Task(ovs::FileString()), mode(deletionMode) {}

TaskDeleter::~TaskDeleter() = default;

bool TaskDeleter::isTaskFile(const ovs::FileString& path, bool& emptyFile) const {
    ovs::File file(path);
    file.open(ovs::File::Read | ovs::File::ReadShared | ovs::File::MustExist);
    char head[HeaderBytes];
    std::uint32_t got = file.read(head, HeaderBytes, false);
    file.close();
    emptyFile = got == 0;
    return emptyFile || startsWithTaskHeader(std::string_view(head, got));
}

void TaskDeleter::visit(const ovs::FileString& found) {
    // The scan gives a bare name when there is no application-data folder and the task folder
    // is the current one; the control file would look such a name up in the Windows folder.
    const ovs::FileString path = found.absolute();
    try {
        // The request of a run that was killed before it published it: nothing will ever take
        // it up, so the ALL mode removes it once its writer has ended, never while it runs.
        // Other names of that pattern are no files of ours.
        if (isPendingName(found)) {
            DWORD writer = writerOfPending(lowered(found.fileName()));
            if (writer == 0 || mode != 0 || stillRunning(writer)) {
                return;
            }
        }
        // Unlike a plain "Task*.ovc" match, only the tool's own task files go: a user's file of
        // such a name in the current folder (no application-data folder) stays.
        bool emptyFile = false;
        if (mode == 1) {
            // The state is read first; the file itself is looked at only when the state would
            // remove it, cannot be read, or comes with a header error (which ends the run only
            // for a task file: any other file is left alone).
            TaskState state = TaskState::NotAccessible;
            try {
                Task task(path);
                state = task.readState(false);
            } catch (const ovs::Exception&) {
                if (isTaskFile(path, emptyFile) && !emptyFile) {
                    throw;
                }
                return;
            }
            if (state != TaskState::Finished && state != TaskState::NotAccessible) {
                return;
            }
            if (!isTaskFile(path, emptyFile) || emptyFile || state != TaskState::Finished) {
                return;
            }
        } else if (!isTaskFile(path, emptyFile)) {
            return;
        }
        if (ovs::File(path).remove()) {
            ovs::console() << "Removed file " << found << std::endl;
            return;
        }
        ovs::raiseFileError(path, ovs::msg::BadFileOrFolder);
    } catch (const ovs::FileException& error) {
        ovs::console() << "Couldn't remove file " << found << std::endl;
        // A file that is gone meanwhile needs no removal; any other failure fails the run.
        if (!firstFailure_ && error.systemError() != ERROR_FILE_NOT_FOUND) {
            firstFailure_ = std::make_unique<ovs::FileException>(error);
        }
    }
}
