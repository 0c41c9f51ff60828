// Reading task files for the inspector and printing them as text lines or JSON.
#include "TaskListing.h"

#include "FraskPdfTreeScan.h"
#include "MessageNumbers.h"
#include "Task.h"
#include "platform/Win32.h"
#include "profiling/OrvaCtrlFile.h"
#include "runtime/Exception.h"
#include "runtime/Messages.h"

#include <algorithm>
#include <cstdio>
#include <memory>

const char* const DamagedState = "damaged";
const char* const EmptyState = "empty";

namespace {

// FILETIME counts 100 ns steps from 1601-01-01; 1970-01-01 is this many steps later.
constexpr std::int64_t UnixEpochInFileTime = 116444736000000000LL;
// Task files are a few hundred bytes; anything this large is not one.
constexpr DWORD LargestTaskFile = 1 << 20;

// The file's bytes and last write time, through a handle that neither writes nor keeps
// anyone else from writing, renaming or deleting the file.
std::int64_t readWhole(const std::string& file, std::string& bytes) {
    HANDLE handle = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        ovs::FileException error(ovs::msg::FileNotFound);
        error.setPath(file);
        throw error;
    }
    struct Closer {
        HANDLE handle;
        ~Closer() { CloseHandle(handle); }
    } closer{handle};
    FILETIME created, accessed, written;
    LARGE_INTEGER size;
    if (!GetFileTime(handle, &created, &accessed, &written) || !GetFileSizeEx(handle, &size) ||
        size.QuadPart > LargestTaskFile) {
        ovs::FileException error(ovs::msg::CannotReadFile);
        error.setPath(file);
        throw error;
    }
    bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD total = 0;
    while (total < bytes.size()) {
        DWORD count = 0;
        if (!ReadFile(handle, &bytes[total], static_cast<DWORD>(bytes.size()) - total, &count, nullptr)) {
            ovs::FileException error(ovs::msg::CannotReadFile);
            error.setPath(file);
            throw error;
        }
        if (count == 0) {
            break; // shortened meanwhile by its writer
        }
        total += count;
    }
    bytes.resize(total);
    std::int64_t ticks = (static_cast<std::int64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    return (ticks - UnixEpochInFileTime) / 10000000;
}

// The text of an exception's message line behind "OV<number> - " (or, for the free-text
// numbers, behind the severity's " - "), without the closing point.
std::string reasonOf(const ovs::Exception& error) {
    std::string line = error.message();
    std::string numbered = ovs::messagePrefix() + std::to_string(error.number()) + " - ";
    std::size_t at = line.find(numbered);
    if (at != std::string::npos) {
        line.erase(0, at + numbered.size());
    } else if ((at = line.find(" - ", line.find(": "))) != std::string::npos) {
        line.erase(0, at + 3);
    }
    if (!line.empty() && line.back() == '.') {
        line.pop_back();
    }
    return line;
}

std::string idOf(const std::string& file) {
    std::string name = file.substr(file.find_last_of("\\/") + 1);
    std::size_t end = name.size() >= 8 ? name.size() - 4 : name.size();
    return name.size() >= 8 ? name.substr(4, end - 4) : name;
}

// Collects the listing of every task file the folder walk finds.
struct ListingCollector {
    std::vector<TaskListing> tasks;
    void visit(const ovs::FileString& path) { tasks.push_back(readTaskListing(path)); }
};

const std::string* parameter(const TaskListing& task, const char* key) {
    for (const auto& entry : task.parameters) {
        if (entry.first == key) {
            return &entry.second;
        }
    }
    return nullptr;
}

void appendUnit(std::string& out, unsigned unit) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\u%04x", unit & 0xFFFFu);
    out += escaped;
}

} // namespace

TaskListing readTaskListing(const std::string& file) {
    TaskListing task;
    task.file = file;
    task.id = idOf(file);
    try {
        std::string bytes;
        task.modified = readWhole(file, bytes);
        if (bytes.empty()) {
            // The tool creates the file a moment before it writes the header.
            task.state = EmptyState;
            return task;
        }
        // The task file's own type, checked on an in-memory copy: the store never sees the disk.
        Task taskType{ovs::FileString()};
        ControlFileType type = taskType.type();
        type.flags |= ovs::HeaderFlagInMemory;
        ovs::OrvaCtrlFile control;
        control.setType(&type);
        ovs::Profiling& store = control.profiling();
        store.open(ovs::FileString(file));
        store.machineStore()->setText(bytes.data(), bytes.size());
        control.open(ovs::FileString(file), 0);

        store.setTopic("Task");
        ovs::String state;
        if (store.entryExists("State")) {
            store.readString("State", state);
        }
        task.state = Task::stateName(Task::stateOf(state));
        if (store.entryExists("WholeNumberOfProcessedDocuments")) {
            task.documents = control.readInteger("WholeNumberOfProcessedDocuments");
        }
        if (store.entryExists("LastError")) {
            task.lastError = static_cast<std::int32_t>(control.readInteger("LastError"));
        }
        if (task.lastError != 0) {
            task.lastErrorText = ovs::loadMessage(task.lastError);
        }
        store.setTopic("Parameter");
        std::vector<ovs::String> lines;
        store.machineStore()->readTopicLines(lines);
        for (const ovs::String& line : lines) {
            std::size_t equals = line.find('=');
            task.parameters.emplace_back(line.substr(0, equals),
                                         equals == std::string::npos ? std::string() : line.substr(equals + 1));
        }
    } catch (const ovs::Exception& error) {
        task.state = DamagedState;
        task.documents = -1;
        task.lastError = error.number();
        task.lastErrorText = reasonOf(error);
        task.parameters.clear();
    }
    return task;
}

std::vector<TaskListing> listTaskFolder(const ovs::FileString& folder) {
    DWORD attributes = GetFileAttributesA(folder.empty() ? "." : folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ovs::FileException error(ovs::msg::FolderNotFound);
        error.setPath(folder);
        throw error;
    }
    ListingCollector collector;
    FraskPdfTreeScan<ListingCollector> scan(&collector);
    ovs::FileScanSpec spec;
    spec.setFolder(folder, false);
    spec.addPattern("Task*.ovc", true);
    scan.configure(spec, 0, 0);
    scan.scan();
    std::stable_sort(collector.tasks.begin(), collector.tasks.end(), [](const TaskListing& a, const TaskListing& b) {
        return a.modified != b.modified ? a.modified < b.modified : a.file < b.file;
    });
    return collector.tasks;
}

std::string ageText(std::int64_t seconds) {
    seconds = std::max<std::int64_t>(seconds, 0);
    static const struct {
        std::int64_t size;
        const char* unit;
        std::int64_t smaller;
        const char* smallerUnit;
    } steps[] = {{86400, "d", 3600, "h"}, {3600, "h", 60, "m"}, {60, "m", 1, "s"}};
    char text[48];
    for (const auto& step : steps) {
        if (seconds >= step.size) {
            std::snprintf(text, sizeof text, "%lld%s %02lld%s", static_cast<long long>(seconds / step.size), step.unit,
                          static_cast<long long>(seconds % step.size / step.smaller), step.smallerUnit);
            return text;
        }
    }
    return std::to_string(seconds) + "s";
}

std::string isoTime(std::int64_t secondsSince1970) {
    // Days to a civil date (proleptic Gregorian calendar, eras of 400 years).
    std::int64_t days = secondsSince1970 >= 0 ? secondsSince1970 / 86400 : (secondsSince1970 - 86399) / 86400;
    std::int64_t second = secondsSince1970 - days * 86400;
    days += 719468;
    std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    std::int64_t dayOfEra = days - era * 146097;
    std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    std::int64_t day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    std::int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    char text[96];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lldZ", static_cast<long long>(year),
                  static_cast<long long>(month), static_cast<long long>(day), static_cast<long long>(second / 3600),
                  static_cast<long long>(second / 60 % 60), static_cast<long long>(second % 60));
    return text;
}

std::string listingLine(const TaskListing& task, std::int64_t now) {
    std::string line = task.id + "  " + task.state + "  " + ageText(now - task.modified) + "  ";
    line += task.documents < 0 ? std::string("- documents") : std::to_string(task.documents) + " documents";
    line += "  ";
    if (task.lastError != 0) {
        line += ovs::messagePrefix() + std::to_string(task.lastError) + " " + task.lastErrorText;
    } else {
        line += "no error";
    }
    if (const std::string* input = parameter(task, "i")) {
        line += "  " + *input;
        if (const std::string* output = parameter(task, "o")) {
            line += " -> " + *output;
        }
    }
    return line;
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    // Characters beyond ASCII are taken in the ANSI code page, as the framework's texts are.
    std::wstring wide;
    int length =
        text.empty() ? 0 : MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length > 0) {
        wide.resize(static_cast<std::size_t>(length));
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    } else {
        for (char c : text) {
            wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
        }
    }
    for (wchar_t c : wide) {
        unsigned code = static_cast<unsigned>(c);
        switch (code) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (code >= 0x20 && code < 0x7F) {
                out.push_back(static_cast<char>(code));
            } else if (code > 0xFFFF) {
                code -= 0x10000;
                appendUnit(out, 0xD800 + (code >> 10));
                appendUnit(out, 0xDC00 + (code & 0x3FF));
            } else {
                appendUnit(out, code);
            }
        }
    }
    return out + "\"";
}

std::string listingJson(const std::vector<TaskListing>& tasks) {
    if (tasks.empty()) {
        return "[]\n";
    }
    std::string out = "[\n";
    for (std::size_t n = 0; n < tasks.size(); ++n) {
        const TaskListing& task = tasks[n];
        out += "{\"id\":" + jsonString(task.id) + ",\"state\":" + jsonString(task.state) +
               ",\"modified\":" + jsonString(isoTime(task.modified)) +
               ",\"documents\":" + (task.documents < 0 ? std::string("null") : std::to_string(task.documents)) +
               ",\"lastError\":" + std::to_string(task.lastError) +
               ",\"lastErrorText\":" + jsonString(task.lastErrorText) + ",\"parameters\":{";
        for (std::size_t p = 0; p < task.parameters.size(); ++p) {
            out += (p ? "," : "") + jsonString(task.parameters[p].first) + ":" + jsonString(task.parameters[p].second);
        }
        out += "},\"file\":" + jsonString(task.file) + "}" + (n + 1 < tasks.size() ? ",\n" : "\n");
    }
    return out + "]\n";
}
