// Reading task files: the task folder, the task-file type, state and integer results.
#include "Task.h"
#include "MessageNumbers.h"
#include "files/File.h"
#include "platform/Win32.h"
#include "runtime/Exception.h"

#include <string_view>

namespace {

const char* const TaskTopic = "Task";

} // namespace

const GUID TaskFileTypeGuid = {0x00000000, 0x0000, 0x1100, {0x80, 0x00, 0x00, 0x00, 0xC0, 0x6B, 0x51, 0x61}};

Task::Task(const ovs::FileString& path)
    : path_(path), type_{ovs::HeaderFlagCheckSpecification,
                         "ORVA Frask Pdf Task File",
                         &TaskFileTypeGuid,
                         {1, 0},
                         {0, 0}} {
    file_.setType(&type_);
}

Task::~Task() = default;

ovs::FileString Task::taskFolderLocation() {
    char folder[MAX_PATH] = "";
    HRESULT result = SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    if (!SUCCEEDED(result) || folder[0] == '\0') {
        return ovs::FileString();
    }
    ovs::FileString path(folder);
    path.join("ORVA-SYSTEMS").join("Veilgard PDF");
    return path;
}

ovs::FileString Task::taskFolder() {
    ovs::FileString path = taskFolderLocation();
    if (!path.empty()) {
        ovs::File(path).createFolder(ovs::File::Folder | ovs::File::AllLevels);
    }
    return path;
}

namespace {

const struct {
    const char* text;
    TaskState state;
} KnownStates[] = {{"Request", TaskState::Request},
                   {"Accepted", TaskState::Accepted},
                   {"Finished", TaskState::Finished},
                   {"Error", TaskState::Error}};

// A file that exists but may not be read would pass for one without a header. Only a denied
// access counts: a file that another process holds for a moment is read as usual.
bool accessDenied(const ovs::FileString& path) {
    HANDLE probe = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_ACCESS_DENIED;
    }
    CloseHandle(probe);
    return false;
}

} // namespace

TaskState Task::stateOf(const std::string& text) {
    for (const auto& known : KnownStates) {
        if (std::string_view(text) == known.text) {
            return known.state;
        }
    }
    return TaskState::Invalid;
}

const char* Task::stateName(TaskState state) {
    for (const auto& known : KnownStates) {
        if (state == known.state) {
            return known.text;
        }
    }
    return state == TaskState::NotAccessible ? "not accessible" : "invalid";
}

bool Task::openForReading(bool askAccess) {
    if (askAccess && accessDenied(path_)) {
        return false;
    }
    try {
        file_.open(path_, ovs::OrvaCtrlFile::OpenMustExist);
    } catch (const ovs::FileException&) {
        return false;
    }
    return true;
}

TaskState Task::readState(bool askAccess) {
    if (!openForReading(askAccess)) {
        return TaskState::NotAccessible;
    }
    ovs::Profiling& store = file_.profiling();
    store.setTopic(TaskTopic);
    ovs::String state;
    store.readEntry("State", state);
    store.flush();
    return stateOf(state);
}

std::int32_t Task::readTaskInteger(const std::string& key) {
    if (!openForReading()) {
        return ovs::msg::TaskFileNotAccessible;
    }
    file_.profiling().setTopic(TaskTopic);
    std::int32_t value = file_.readInteger(key);
    file_.profiling().flush();
    return value;
}

std::int32_t Task::lastError() {
    return readTaskInteger("LastError");
}

std::int32_t Task::processedDocuments() {
    return readTaskInteger("WholeNumberOfProcessedDocuments");
}
