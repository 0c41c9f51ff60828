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
    taskfile::EntryReader file(path);
    if (!file.isOpen()) {
        file.raiseOpenError();
    }
    char head[taskfile::HeaderBytes];
    long got = file.readOnce(head, sizeof head);
    if (got < 0) {
        ovs::raiseFileError(path, ovs::msg::CannotReadFile, file.error());
    }
    emptyFile = got == 0;
    return emptyFile || taskfile::beginsWithTaskHeader(std::string_view(head, static_cast<std::size_t>(got)));
}

void TaskDeleter::visit(const ovs::FileString& found) {
    // The scan gives a bare name when there is no application-data folder and the task folder
    // is the current one; the control file would look such a name up in the Windows folder.
    const ovs::FileString path = found.absolute();
    try {
        // The request of a run that was killed before it published it: nothing will ever take
        // it up, so the ALL mode removes it once its writer has ended, never while it runs.
        // Other names of that pattern are no files of ours.
        if (taskfile::isPendingName(found)) {
            DWORD writer = taskfile::writerOfPending(found);
            if (writer == 0 || mode != 0 || stillRunning(writer)) {
                return;
            }
        }
        // Unlike a plain match of the pattern, only the tool's own task files go: a user's file of
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
