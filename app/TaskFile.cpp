// The task file's folder, names, type, header, request content and states, and the one
// reader of its bytes.
#include "TaskFile.h"

#include "MessageNumbers.h"
#include "files/FileError.h"
#include "profiling/Profiling.h"
#include "profiling/ProfilingImpl.h"
#include "runtime/Exception.h"
#include "strings/AsciiText.h"

#include <string>

const GUID TaskFileTypeGuid = {0x00000000, 0x0000, 0x1100, {0x80, 0x00, 0x00, 0x00, 0xC0, 0x6B, 0x51, 0x61}};

namespace taskfile {

const char* const Pattern = "Task*.ovc";
const char* const PendingPattern = "Task*.ovc.*.pending";
const char* const TaskTopic = "Task";
const char* const ParameterTopic = "Parameter";
const char* const StateKey = "State";
const char* const LastErrorKey = "LastError";
const char* const ProcessedDocumentsKey = "WholeNumberOfProcessedDocuments";
const char* const IdKey = "Id";

namespace {

const char* const Prefix = "Task";
const char* const Extension = ".ovc";
const std::string_view PendingSuffix = ".pending";
// The request version the tool writes.
constexpr std::uint32_t RequestMajorVersion = 21;
constexpr std::uint32_t RequestMinorVersion = 2;

const ControlFileType Type = {
    ovs::HeaderFlagCheckSpecification, "ORVA Frask Pdf Task File", &TaskFileTypeGuid, {1, 0}, {0, 0}};

const struct {
    const char* text;
    TaskState state;
} KnownStates[] = {{"Request", TaskState::Request},
                   {"Accepted", TaskState::Accepted},
                   {"Finished", TaskState::Finished},
                   {"Error", TaskState::Error}};

// FILETIME counts 100 ns steps from 1601-01-01; 1970-01-01 is this many steps later.
constexpr std::int64_t UnixEpochInFileTime = 116444736000000000LL;

std::string_view fileNameOf(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace

// --- The folder and the names in it ---

ovs::FileString folderLocation() {
    char folder[MAX_PATH] = "";
    HRESULT result = SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    if (!SUCCEEDED(result) || folder[0] == '\0') {
        return ovs::FileString();
    }
    ovs::FileString path(folder);
    path.join("ORVA-SYSTEMS").join("Veilgard PDF");
    return path;
}

std::string nameOf(std::uint32_t id) {
    return Prefix + std::to_string(id) + Extension;
}

std::uint32_t idOfName(std::string_view name) {
    const std::size_t digits = name.size() - 8;
    if (name.size() < 9 || digits > 4 || !ovs::equalIgnoringAsciiCase(name.substr(0, 4), Prefix) ||
        !ovs::equalIgnoringAsciiCase(name.substr(name.size() - 4), Extension) || (digits > 1 && name[4] == '0')) {
        return IdCount;
    }
    std::uint32_t id = 0;
    for (std::size_t i = 4; i < 4 + digits; ++i) {
        if (name[i] < '0' || name[i] > '9') {
            return IdCount;
        }
        id = id * 10 + static_cast<std::uint32_t>(name[i] - '0');
    }
    return id;
}

std::string idTextOfName(std::string_view path) {
    const std::string_view name = fileNameOf(path);
    return std::string(name.size() >= 8 ? name.substr(4, name.size() - 8) : name);
}

std::string pendingNameOf(const std::string& taskName, DWORD process, unsigned count) {
    return taskName + "." + std::to_string(process) + "-" + std::to_string(count) + std::string(PendingSuffix);
}

bool isPendingName(std::string_view name) {
    return name.size() >= PendingSuffix.size() &&
           ovs::equalIgnoringAsciiCase(name.substr(name.size() - PendingSuffix.size()), PendingSuffix);
}

DWORD writerOfPending(std::string_view path) {
    std::string name(fileNameOf(path));
    for (char& c : name) {
        c = ovs::lowerAscii(c);
    }
    if (!isPendingName(name)) {
        return 0;
    }
    std::size_t ovc = name.find(".ovc.");
    std::size_t end = name.size() - PendingSuffix.size();
    if (ovc == std::string::npos || ovc + 5 > end) {
        return 0;
    }
    std::string middle = name.substr(ovc + 5, end - ovc - 5);
    std::size_t dash = middle.find('-');
    bool digits = dash != std::string::npos && dash > 0 && dash <= 10 && dash + 1 < middle.size() &&
                  middle.find_first_not_of("0123456789") == dash &&
                  middle.find_first_not_of("0123456789", dash + 1) == std::string::npos;
    unsigned long long id = digits ? std::stoull(middle.substr(0, dash)) : 0;
    return id > 0xFFFFFFFFull ? 0 : static_cast<DWORD>(id);
}

// --- The control-file type, the header and the content a request starts with ---

const ControlFileType& type() {
    return Type;
}

bool beginsWithTaskHeader(std::string_view head) {
    ovs::OrvaCtrlFile::HeaderValues values;
    GUID guid = {};
    return ovs::OrvaCtrlFile::headerValuesOfText(head, values, true) && values.found[0] &&
           ovs::OrvaCtrlFile::guidOfText(values.value[0], guid) && ovs::OrvaCtrlFile::sameGuid(guid, TaskFileTypeGuid);
}

std::vector<ovs::String> requestLines(std::uint32_t id) {
    return {std::string(IdKey) + "=" + std::to_string(id), std::string(StateKey) + "=Request",
            "MajorVersion=" + std::to_string(RequestMajorVersion),
            "MinorVersion=" + std::to_string(RequestMinorVersion)};
}

// --- States ---

TaskState stateOf(std::string_view text) {
    for (const auto& known : KnownStates) {
        if (text == known.text) {
            return known.state;
        }
    }
    return TaskState::Invalid;
}

const char* stateName(TaskState state) {
    for (const auto& known : KnownStates) {
        if (state == known.state) {
            return known.text;
        }
    }
    return state == TaskState::NotAccessible ? "not accessible" : "invalid";
}

TaskState readState(ovs::OrvaCtrlFile& file) {
    ovs::Profiling& store = file.profiling();
    store.setTopic(TaskTopic);
    ovs::String state;
    store.readEntry(StateKey, state);
    return stateOf(state);
}

Content readContent(const std::string& path, const std::string& bytes) {
    // The task file's own type, checked on an in-memory copy: the store never sees the disk.
    ControlFileType inMemory = Type;
    inMemory.flags |= ovs::HeaderFlagInMemory;
    ovs::OrvaCtrlFile control;
    control.setType(&inMemory);
    ovs::Profiling& store = control.profiling();
    store.open(ovs::FileString(path));
    store.machineStore()->setText(bytes.data(), bytes.size());
    control.open(ovs::FileString(path), 0);

    Content content;
    content.state = readState(control);
    if ((content.hasStateText = store.entryExists(StateKey))) {
        ovs::String text;
        store.readString(StateKey, text);
        content.stateText = text;
    }
    if (store.entryExists(ProcessedDocumentsKey)) {
        content.documents = control.readInteger(ProcessedDocumentsKey);
    }
    if (store.entryExists(LastErrorKey)) {
        content.lastError = static_cast<std::int32_t>(control.readInteger(LastErrorKey));
    }
    store.setTopic(ParameterTopic);
    std::vector<ovs::String> lines;
    store.machineStore()->readTopicLines(lines);
    for (const ovs::String& line : lines) {
        std::size_t equals = line.find('=');
        content.parameters.emplace_back(line.substr(0, equals),
                                        equals == std::string::npos ? std::string() : line.substr(equals + 1));
    }
    return content;
}

// --- Reading an entry of the task folder ---

EntryReader::EntryReader(const std::string& path)
    : path_(path),
      handle_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (handle_ == INVALID_HANDLE_VALUE) {
        error_ = GetLastError();
    }
}

EntryReader::~EntryReader() {
    if (handle_ != INVALID_HANDLE_VALUE) {
        CloseHandle(handle_);
    }
}

bool EntryReader::isOpen() const {
    return handle_ != INVALID_HANDLE_VALUE;
}

void EntryReader::raiseOpenError() const {
    const ovs::FileString path(path_);
    if (!path.isFile()) {
        ovs::FileException error(ovs::msg::FileNotFound, path.displayForm(0, 1));
        error.setPath(path);
        throw error;
    }
    ovs::raiseFileError(path, ovs::msg::FileCannotBeOpened, error_);
}

bool EntryReader::status(std::int64_t& modified, std::uint64_t& size) {
    FILETIME created, accessed, written;
    LARGE_INTEGER length;
    if (!GetFileTime(handle_, &created, &accessed, &written) || !GetFileSizeEx(handle_, &length)) {
        error_ = GetLastError();
        return false;
    }
    std::int64_t ticks = (static_cast<std::int64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    modified = (ticks - UnixEpochInFileTime) / 10000000;
    size = static_cast<std::uint64_t>(length.QuadPart);
    return true;
}

long EntryReader::readOnce(char* buffer, std::size_t count) {
    DWORD got = 0;
    if (!ReadFile(handle_, buffer, static_cast<DWORD>(count), &got, nullptr)) {
        error_ = GetLastError();
        return -1;
    }
    return static_cast<long>(got);
}

bool EntryReader::read(std::string& bytes, std::size_t limit) {
    bytes.assign(limit, '\0');
    std::size_t total = 0;
    while (total < limit) {
        long got = readOnce(&bytes[total], limit - total);
        if (got < 0) {
            bytes.resize(total);
            return false;
        }
        if (got == 0) {
            break; // the end, or shortened meanwhile by its writer
        }
        total += static_cast<std::size_t>(got);
    }
    bytes.resize(total);
    return true;
}

} // namespace taskfile
