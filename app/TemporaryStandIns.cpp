// Stand-ins for classes that other parts of the tool provide; see TemporaryStandIns.h.
#include "TemporaryStandIns.h"

#include "runtime/Exception.h"

// --- Temporary stand-in until Task and RequestTask (app/Task.h, app/RequestTask.h) land ---

Task::Task(const ovs::FileString& path) : path_(path) {}

Task::~Task() = default;

ovs::FileString Task::taskFolder() {
    return ovs::FileString();
}

std::int32_t Task::processedDocuments() {
    return 3003;
}

RequestTask::RequestTask(const ovs::FileString& path) : Task(path) {}

RequestTask::~RequestTask() = default;

std::uint32_t RequestTask::submit(const ParameterMap&) {
    throw ovs::Exception(1000, "Unkown type");
}

TaskState RequestTask::pollState() {
    throw ovs::Exception(1000, "Unkown state in task request file");
}

// --- Temporary stand-in until Acrobat (app/Acrobat.h) lands ---

Acrobat::~Acrobat() = default;

bool Acrobat::isRunning() {
    return false;
}

bool Acrobat::start() {
    throw ovs::Exception(3002);
}

void Acrobat::restart() {
    start();
}

// --- Temporary stand-in until TaskDeleter and FraskPdfTreeScan (app/TaskDeleter.h,
// app/FraskPdfTreeScan.h) land ---

TaskDeleter::TaskDeleter(std::uint32_t mode) : Task(ovs::FileString()), mode(mode) {}

TaskDeleter::~TaskDeleter() = default;

void TaskDeleter::visit(const ovs::FileString&) {}
