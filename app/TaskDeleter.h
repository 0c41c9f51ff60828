// The visitor of the clear mode: decides about one task file and removes it, telling the
// console what it did.
#pragma once
#include "Task.h"
#include "runtime/Exception.h"

#include <cstdint>
#include <memory>

class TaskDeleter : public Task {
public:
    // Mode 0 removes every task file it is given ("ALL"); mode 1 only those whose state is
    // Finished ("FINISHED").
    explicit TaskDeleter(std::uint32_t mode);
    ~TaskDeleter() override;

    // Removes the task file at the full path when the mode says so and prints "Removed file "
    // or "Couldn't remove file " with the path. Only task files are touched: an empty file or
    // one that begins with the task file's header (isTaskFile); any other file is left alone
    // silently, and so is an unpublished request ("Task<id>.ovc.<process>-<n>.pending")
    // unless the mode is 0 and its process has ended. File errors are reported that way and remembered (firstFailure);
    // any other error (a damaged header in mode 1) passes on.
    void visit(const ovs::FileString& path);

    // True for an empty file or one whose first section is the control-file header of the
    // task-file type; its content is read once, only as far as the header goes. emptyFile
    // tells which. Throws the file error of a file that cannot be read.
    bool isTaskFile(const ovs::FileString& path, bool& emptyFile) const;

    // The file error of the first task file that could not be removed, or null.
    const ovs::FileException* firstFailure() const { return firstFailure_.get(); }

    std::uint32_t mode;

private:
    std::unique_ptr<ovs::FileException> firstFailure_;
};
