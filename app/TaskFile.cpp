// The task file's folder, names, type, header, request content and states, and the one
// reader of its bytes.
#include "TaskFile.h"

#include "MessageNumbers.h"
#include "files/FileError.h"
#include "platform/PlatformCalls.h"
#include "profiling/Profiling.h"
#include "profiling/ProfilingImpl.h"
#include "runtime/Exception.h"
#include "strings/AsciiText.h"

#include <algorithm>
#include <string>

const GUID TaskFileTypeGuid = {0x00000000, 0x0000, 0x1100, {0x80, 0x00, 0x00, 0x00, 0xC0, 0x6B, 0x51, 0x61}};

namespace taskfile {

const char* const Pattern = "Task*.ovc";
const char* const PendingPattern = "Task*.ovc.*.pending";
const char* const WaitingPattern = "Task*.ovc.*.waiting";
const char* const TemporaryPattern = ".Task*.tmp";
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
const std::string_view WaitingSuffix = ".waiting";
const std::string_view TemporarySuffix = ".tmp";
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

namespace {

bool endsWithIgnoringCase(std::string_view name, std::string_view suffix) {
    return name.size() >= suffix.size() &&
           ovs::equalIgnoringAsciiCase(name.substr(name.size() - suffix.size()), suffix);
}

// A process id in decimal, 1 to 10 digits within 32 bits; 0 for anything else.
DWORD processOf(std::string_view digits) {
    if (digits.empty() || digits.size() > 10 || digits.find_first_not_of("0123456789") != std::string_view::npos) {
        return 0;
    }
    unsigned long long id = std::stoull(std::string(digits));
    return id > 0xFFFFFFFFull ? 0 : static_cast<DWORD>(id);
}

} // namespace

std::string waitingNameOf(const std::string& taskName, DWORD process) {
    return taskName + "." + std::to_string(process) + std::string(WaitingSuffix);
}

bool isWaitingName(std::string_view name) {
    return endsWithIgnoringCase(name, WaitingSuffix);
}

DWORD writerOfWaiting(std::string_view path) {
    const std::string_view name = fileNameOf(path);
    if (!isWaitingName(name)) {
        return 0;
    }
    const std::string task = taskNameOfLeftover(name);
    const std::string_view rest = name.substr(0, name.size() - WaitingSuffix.size());
    if (idOfName(task) >= IdCount || rest.size() <= task.size() + 1) {
        return 0;
    }
    return processOf(rest.substr(task.size() + 1));
}

bool isTemporaryName(std::string_view path) {
    return writerOfTemporary(path) != 0;
}

DWORD writerOfTemporary(std::string_view path) {
    const std::string_view name = fileNameOf(path);
    const std::size_t tilde = name.rfind(".~");
    if (name.size() < 2 || name[0] != '.' || !endsWithIgnoringCase(name, TemporarySuffix) ||
        tilde == std::string_view::npos) {
        return 0;
    }
    const std::string_view inner = name.substr(1, tilde - 1);
    const std::string_view tail = name.substr(tilde + 2, name.size() - tilde - 2 - TemporarySuffix.size());
    const std::size_t dash = tail.find('-');
    const std::string_view count = dash == std::string_view::npos ? std::string_view() : tail.substr(dash + 1);
    if (count.empty() || count.find_first_not_of("0123456789") != std::string_view::npos) {
        return 0;
    }
    if (idOfName(inner) >= IdCount && writerOfPending(inner) == 0) {
        return 0;
    }
    return processOf(tail.substr(0, dash));
}

std::string taskNameOfLeftover(std::string_view path) {
    std::string_view name = fileNameOf(path);
    if (!name.empty() && name[0] == '.') {
        name.remove_prefix(1);
    }
    for (std::size_t at = name.find('.'); at != std::string_view::npos; at = name.find('.', at + 1)) {
        const std::string_view rest = name.substr(at);
        if (rest.size() >= 4 && ovs::equalIgnoringAsciiCase(rest.substr(0, 4), Extension) &&
            (rest.size() == 4 || rest[4] == '.')) {
            return std::string(name.substr(0, at + 4));
        }
    }
    return std::string(name);
}

bool writerRuns(DWORD process) {
    if (process == 0) {
        return false;
    }
    const ovs::PlatformCalls& calls = ovs::platformCalls();
    HANDLE handle = calls.openProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    if (handle == nullptr) {
        return GetLastError() != ERROR_INVALID_PARAMETER;
    }
    DWORD code = 0;
    const BOOL asked = calls.getExitCodeProcess(handle, &code);
    CloseHandle(handle);
    return !asked || code == STILL_ACTIVE;
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

bool lastErrorNumber(std::string_view text, std::int32_t& number) {
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string_view::npos) {
        return false;
    }
    const std::uint64_t value = std::stoull(std::string(text));
    if (value > (negative ? 0x80000000ull : 0xFFFFFFFFull)) {
        return false;
    }
    const std::uint32_t bits = static_cast<std::uint32_t>(value);
    number = static_cast<std::int32_t>(negative ? 0u - bits : bits);
    return true;
}

ContentReader::ContentReader() : type_(Type) {
    // The task file's own type, checked on an in-memory copy: the store never sees the disk.
    type_.flags |= ovs::HeaderFlagInMemory;
    control_.setType(&type_);
}

Content ContentReader::read(const std::string& path, const std::string& bytes, Reading what) {
    const ovs::FileString file(path);
    ovs::Profiling& store = control_.profiling();
    if (store.machineStore() == nullptr) {
        // The store is made once: it never reads a file, and the errors name the control
        // file's path, which each open below sets.
        store.open(file);
    }
    store.machineStore()->setText(bytes.data(), bytes.size());
    control_.open(file, 0);

    Content content;
    content.state = readState(control_);
    if (what == Reading::State) {
        return content;
    }
    if (store.entryExists(ProcessedDocumentsKey)) {
        content.documents = control_.readInteger(ProcessedDocumentsKey);
    }
    ovs::String lastError;
    content.hasLastError = store.readEntry(LastErrorKey, lastError);
    if (content.hasLastError) {
        content.lastErrorText = lastError;
        lastErrorNumber(content.lastErrorText, content.lastError);
    }
    if (what == Reading::Outcome) {
        return content;
    }
    if ((content.hasStateText = store.entryExists(StateKey))) {
        ovs::String text;
        store.readString(StateKey, text);
        content.stateText = text;
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

std::int32_t ContentReader::readInteger(const std::string& key) {
    control_.profiling().setTopic(TaskTopic);
    return static_cast<std::int32_t>(control_.readInteger(key));
}

Content readContent(const std::string& path, const std::string& bytes) {
    return ContentReader().read(path, bytes);
}

// --- Reading an entry of the task folder ---

EntryReader::EntryReader(const std::string& path) : path_(path) {
    error_ = ovs::platformCalls().openForReading(reader_, path);
}

EntryReader::~EntryReader() = default;

bool EntryReader::isOpen() const {
    return reader_.isOpen();
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
    if (!reader_.status(modified, size)) {
        error_ = reader_.error();
        return false;
    }
    return true;
}

long EntryReader::readOnce(char* buffer, std::size_t count) {
    long got = reader_.readOnce(buffer, count);
    if (got < 0) {
        error_ = reader_.error();
    }
    return got;
}

bool EntryReader::read(std::string& bytes, std::size_t limit) {
    // Read in parts and appended, so that only what arrives takes memory: the limit is a
    // megabyte, a task file a few hundred bytes, and a clear reads thousands of them.
    char part[16384];
    bytes.clear();
    while (bytes.size() < limit) {
        long got = readOnce(part, std::min(sizeof part, limit - bytes.size()));
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            break; // the end, or shortened meanwhile by its writer
        }
        bytes.append(part, static_cast<std::size_t>(got));
    }
    return true;
}

} // namespace taskfile
