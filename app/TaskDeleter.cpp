// Removing task files in the clear mode.
#include "TaskDeleter.h"
#include "MessageNumbers.h"
#include "files/FileError.h"
#include "platform/FolderNames.h"
#include "platform/GuardedFiles.h"
#include "platform/PlatformCalls.h"
#include "platform/Win32.h"
#include "runtime/Console.h"
#include "strings/AsciiText.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace {

std::string lowered(std::string text) {
    for (char& c : text) {
        c = ovs::lowerAscii(c);
    }
    return text;
}

// A file that is not there (any more) needs no removal: another clear took it, or the name is
// a link to nothing.
bool gone(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The leftovers of a writer beside the task files, which the ALL mode removes once it has
// ended: the pending request of a run killed before it published it, the marker of a run that
// waited for its task, the temporary of a write. 0 for any other name, and for a name of these
// forms that no writer of ours makes.
DWORD writerOfLeftover(const ovs::FileString& found) {
    if (taskfile::isPendingName(found)) {
        return taskfile::writerOfPending(found);
    }
    if (taskfile::isWaitingName(found)) {
        return taskfile::writerOfWaiting(found);
    }
    return taskfile::writerOfTemporary(found);
}

} // namespace

TaskDeleter::TaskDeleter(std::uint32_t deletionMode) : Task(ovs::FileString()), mode(deletionMode) {}

TaskDeleter::~TaskDeleter() = default;

bool TaskDeleter::isTaskFile(const ovs::FileString& path, bool& emptyFile) const {
    taskfile::EntryReader file(path);
    if (!file.isOpen()) {
        if (file.error() == ovs::platform::ErrorNotARegularFile) {
            return false; // a FIFO, a device: no task file, and not read
        }
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

bool TaskDeleter::runWaitsFor(const ovs::FileString& path) {
    // The markers are listed once, at the first finished task: a run places its marker before
    // it publishes its task file, so every task file the scan found has its marker by then.
    if (!markersListed_) {
        markersListed_ = true;
        ovs::FileString pattern = path.folder();
        for (const std::string& name : ovs::platform::namesMatching(pattern.join(taskfile::WaitingPattern))) {
            if (DWORD writer = taskfile::writerOfWaiting(name)) {
                markers_.emplace(lowered(taskfile::taskNameOfLeftover(name)), writer);
            }
        }
    }
    auto [first, last] = markers_.equal_range(lowered(path.fileName()));
    return std::any_of(first, last, [](const auto& marker) { return taskfile::writerRuns(marker.second); });
}

void TaskDeleter::visit(const ovs::FileString& found) {
    // The scan gives a bare name when there is no application-data folder and the task folder
    // is the current one; the control file would look such a name up in the Windows folder.
    const ovs::FileString path = found.absolute();
    try {
        bool emptyFile = false;
        if (taskfile::isPendingName(found) || taskfile::isWaitingName(found) || taskfile::isTemporaryName(found)) {
            // Nothing will ever take these up once their writer has ended; never while it runs,
            // and only when the file is what such a writer leaves: empty or a task file.
            DWORD writer = writerOfLeftover(found);
            if (writer == 0 || mode != ClearAll || taskfile::writerRuns(writer) || !isTaskFile(path, emptyFile)) {
                return;
            }
        } else if (mode == ClearFinished) {
            // Unlike a plain match of the pattern, only the tool's own task files go: a user's
            // file of such a name in the current folder (no application-data folder) stays.
            // The state is read first; the file itself is looked at only when the state would
            // remove it or comes with a header error (which ends the run only for a task file:
            // any other file is left alone). A file that cannot be opened is kept, silently.
            setTaskFile(path);
            TaskState state = TaskState::NotAccessible;
            try {
                state = readState(taskfile::Reading::State);
            } catch (const ovs::Exception&) {
                if (isTaskFile(path, emptyFile) && !emptyFile) {
                    throw;
                }
                return;
            }
            // A run that still waits for this task reads its outcome next: the file stays until
            // that run has read it. Removing every Finished file at once, as a plain FINISHED
            // clear would, failed the runs in flight on a server that clears while jobs run.
            // The header is checked on the bytes the state was read from.
            if (state != TaskState::Finished || !taskfile::beginsWithTaskHeader(head()) || runWaitsFor(path)) {
                return;
            }
        } else if (!isTaskFile(path, emptyFile)) {
            return;
        }
        if (ovs::platformCalls().deleteFile(path.c_str())) {
            ovs::console() << "Removed file " << found << std::endl;
            return;
        }
        ovs::raiseFileError(path, ovs::msg::BadFileOrFolder);
    } catch (const ovs::FileException& error) {
        // A file that is gone meanwhile (another clear removed it) needs no removal and is no
        // failure; any other failure is reported and fails the run.
        if (gone(error.systemError()) || error.number() == ovs::msg::FileNotFound) {
            return;
        }
        ovs::console() << "Couldn't remove file " << found << std::endl;
        if (!firstFailure_) {
            firstFailure_ = std::make_unique<ovs::FileException>(error);
        }
    }
}
