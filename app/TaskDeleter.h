// The visitor of the clear mode: decides about one task file and removes it, telling the
// console what it did.
#pragma once
#include "Task.h"
#include "runtime/Exception.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

class TaskDeleter : public Task {
public:
    // The modes: every task file it is given ("ALL"), or only those whose state is Finished
    // ("FINISHED").
    static constexpr std::uint32_t ClearAll = 0;
    static constexpr std::uint32_t ClearFinished = 1;
    explicit TaskDeleter(std::uint32_t mode);
    ~TaskDeleter() override;

    // Removes the task file at the full path when the mode says so and prints "Removed file "
    // with the path. Only task files are touched: an empty file or one that begins with the
    // task file's header (isTaskFile); any other file is left alone silently. Mode ClearFinished keeps,
    // silently, a file it cannot open and a finished task whose run still waits to read it (a
    // live marker, taskfile::waitingNameOf). A writer's leftovers (a pending request, a
    // marker, a temporary) go only in mode ClearAll, once their process has ended. A file already
    // gone is no failure; any other file error prints "Couldn't remove file " with the path
    // and is remembered (firstFailure); any other error (a damaged header in mode ClearFinished) passes on.
    void visit(const ovs::FileString& path);

    // True for an empty file or one whose first section is the control-file header of the
    // task-file type; its content is read once, only as far as the header goes. emptyFile
    // tells which. False, unread, for a FIFO or a device. Throws the file error of a file that
    // cannot be read.
    bool isTaskFile(const ovs::FileString& path, bool& emptyFile) const;

    // The file error of the first task file that could not be removed, or null.
    const ovs::FileException* firstFailure() const { return firstFailure_.get(); }

    std::uint32_t mode;

private:
    // Whether a live process's marker names the task file at the path.
    bool runWaitsFor(const ovs::FileString& path);

    std::unique_ptr<ovs::FileException> firstFailure_;
    bool markersListed_ = false;
    std::multimap<std::string, DWORD> markers_; // task name in lower case, process
};
