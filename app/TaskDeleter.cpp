// Removing task files in the clear mode.
#include "TaskDeleter.h"
#include "files/File.h"
#include "runtime/Console.h"
#include "runtime/Exception.h"

TaskDeleter::TaskDeleter(std::uint32_t deletionMode) : Task(ovs::FileString()), mode(deletionMode) {}

TaskDeleter::~TaskDeleter() = default;

void TaskDeleter::visit(const ovs::FileString& path) {
    try {
        if (mode == 1) {
            Task task(path);
            if (task.readState() != TaskState::Finished) {
                return;
            }
        }
        if (ovs::File(path).remove()) {
            ovs::console() << "Removed file " << path << std::endl;
        } else {
            ovs::console() << "Couldn't remove file " << path << std::endl;
        }
    } catch (const ovs::FileException&) {
        ovs::console() << "Couldn't remove file " << path << std::endl;
    }
}
