// The visitor of the clear mode: decides about one task file and removes it, telling the
// console what it did.
#pragma once
#include "Task.h"

#include <cstdint>

class TaskDeleter : public Task {
public:
    // Mode 0 removes every task file it is given ("ALL"); mode 1 only those whose state is
    // Finished ("FINISHED").
    explicit TaskDeleter(std::uint32_t mode);
    ~TaskDeleter() override;

    // Removes the task file at the full path when the mode says so and prints "Removed file "
    // or "Couldn't remove file " with the path. File errors are reported that way and
    // swallowed; any other error (a damaged header in mode 1) passes on.
    void visit(const ovs::FileString& path);

    std::uint32_t mode;
};
