// Stand-ins for the task-file exchange, the Acrobat control and the task-file cleanup, so
// that the run flow builds and runs before those classes exist. Each section goes away when
// its class lands: delete the section and include the class's own header in its place.
#pragma once
#include "files/FileScanSpec.h"
#include "files/FileString.h"
#include "parsing/OptionDesc.h"

#include <cstdint>
#include <map>
#include <string>

// --- Temporary stand-in until Task and RequestTask (app/Task.h, app/RequestTask.h) land ---

enum class TaskState { NotAccessible = 0, Request = 1, Accepted = 2, Finished = 3, Error = 4, Invalid = 5 };

// Option name to typed value, in byte-wise name order.
using ParameterMap = std::map<std::string, OptionValue>;

class Task {
public:
    explicit Task(const ovs::FileString& path);
    virtual ~Task();
    // The stand-in has no task folder: the empty path.
    static ovs::FileString taskFolder();
    // The stand-in never has a task file: 3003, the answer for a file that cannot be opened.
    std::int32_t processedDocuments();

protected:
    ovs::FileString path_;
};

class RequestTask : public Task {
public:
    explicit RequestTask(const ovs::FileString& path);
    ~RequestTask() override;
    // The stand-in writes no file: raises 1000 "Unkown type".
    std::uint32_t submit(const ParameterMap& parameters);
    // The stand-in has no file to read: raises 1000 "Unkown state in task request file".
    TaskState pollState();
};

// --- Temporary stand-in until Acrobat (app/Acrobat.h) lands ---

class Acrobat {
public:
    virtual ~Acrobat();
    // No Acrobat is ever found by the stand-in.
    bool isRunning();
    // The stand-in cannot start Acrobat: raises 3002.
    bool start();
    // Nothing to stop; then start (raises 3002).
    void restart();
};

// --- Temporary stand-in until TaskDeleter and FraskPdfTreeScan (app/TaskDeleter.h,
// app/FraskPdfTreeScan.h) land ---

class TaskDeleter : public Task {
public:
    explicit TaskDeleter(std::uint32_t mode);
    ~TaskDeleter() override;
    void visit(const ovs::FileString& path);
    std::uint32_t mode;
};

template <class Visitor> class FraskPdfTreeScan {
public:
    explicit FraskPdfTreeScan(Visitor* visitor) : visitor_(visitor) {}
    virtual ~FraskPdfTreeScan() = default;
    void configure(const ovs::FileScanSpec& spec, std::uint32_t scanFlags, std::uint32_t walkFlags) {
        spec_ = spec;
        scanFlags_ = scanFlags;
        walkFlags_ = walkFlags;
    }
    // The stand-in walks nothing.
    void scan() {}

private:
    Visitor* visitor_;
    ovs::FileScanSpec spec_;
    std::uint32_t scanFlags_ = 0;
    std::uint32_t walkFlags_ = 0;
};
