// Reading the task folder for the inspector and printing it as a table or as JSON.
#include "TaskListing.h"

#include "FraskPdfTreeScan.h"
#include "MessageNumbers.h"
#include "TaskFile.h"
#include "platform/PlatformInfo.h"
#include "platform/Win32.h"
#include "runtime/Exception.h"
#include "runtime/Messages.h"

#include <algorithm>
#include <cstdio>
#include <memory>

const char* const DamagedState = "damaged";
const char* const EmptyState = "empty";

namespace {

[[noreturn]] void raiseUnreadable(const std::string& file, int number) {
    ovs::FileException error(number);
    error.setPath(file);
    throw error;
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

// Collects the listing of every task file the folder walk finds.
struct ListingCollector {
    std::vector<TaskListing> tasks;
    void visit(const ovs::FileString& path) { tasks.push_back(readTaskListing(path)); }
};

// The files of the folder that match the pattern, hidden ones included.
std::vector<std::string> filesMatching(const ovs::FileString& folder, const char* pattern) {
    std::vector<std::string> files;
    std::string prefix = folder.empty() ? std::string() : std::string(folder) + "\\";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((prefix + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return files;
    }
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            files.push_back(prefix + found.cFileName);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return files;
}

std::string plural(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

void appendUnit(std::string& out, unsigned unit) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\u%04x", unit & 0xFFFFu);
    out += escaped;
}

std::string stateCell(const TaskListing& task) {
    if (task.kind != TaskListing::Kind::Task) {
        std::string cell = task.kind == TaskListing::Kind::Pending ? "pending" : "temporary";
        if (task.writer != 0) {
            cell += " (writer " + std::to_string(task.writer) + (task.writerRunning ? " running)" : " ended)");
        }
        return cell;
    }
    if (task.state == taskfile::stateName(TaskState::Invalid)) {
        return task.hasStateText ? task.state + ": " + task.stateText : task.state + " (no State)";
    }
    return task.state;
}

std::string typeCell(const TaskListing& task) {
    if (task.readError != 0 || task.state == EmptyState || task.kind == TaskListing::Kind::Temporary) {
        return {};
    }
    return task.isPermissionCheck() ? "permission check" : "protection";
}

std::string errorCell(const TaskListing& task) {
    if (task.readError != 0) {
        return ovs::messagePrefix() + std::to_string(task.readError) + " " + task.readErrorText;
    }
    if (task.lastError != 0) {
        return ovs::messagePrefix() + std::to_string(task.lastError) + " " + task.lastErrorText;
    }
    return {};
}

std::string filesCell(const TaskListing& task) {
    const std::string* input = task.parameter("i");
    const std::string* output = task.parameter("o");
    if (input == nullptr && output == nullptr) {
        return {};
    }
    return (input ? *input : std::string()) + (output ? " -> " + *output : std::string());
}

std::string jsonOrNull(bool present, const std::string& json) {
    return present ? json : "null";
}

} // namespace

bool TaskListing::isPermissionCheck() const {
    return parameter("readpermissions") != nullptr;
}

const std::string* TaskListing::parameter(const char* key) const {
    for (const auto& entry : parameters) {
        if (entry.first == key) {
            return &entry.second;
        }
    }
    return nullptr;
}

TaskListing readTaskListing(const std::string& file, TaskListing::Kind kind) {
    TaskListing task;
    task.kind = kind;
    task.file = file;
    task.id = taskfile::idTextOfName(kind == TaskListing::Kind::Task ? file : taskfile::taskNameOfLeftover(file));
    if (kind != TaskListing::Kind::Task) {
        task.writer =
            kind == TaskListing::Kind::Pending ? taskfile::writerOfPending(file) : taskfile::writerOfTemporary(file);
        task.writerRunning = taskfile::writerRuns(task.writer);
    }
    try {
        taskfile::EntryReader reader(file);
        if (!reader.isOpen()) {
            reader.raiseOpenError();
        }
        std::int64_t modified = 0;
        std::uint64_t size = 0;
        if (!reader.status(modified, size)) {
            raiseUnreadable(file, ovs::msg::CannotReadFile);
        }
        task.modified = modified;
        if (kind == TaskListing::Kind::Temporary) {
            return task; // a copy being written: its content is no one's yet
        }
        std::string bytes;
        if (size > taskfile::LongestTaskFile || !reader.read(bytes, static_cast<std::size_t>(size))) {
            raiseUnreadable(file, ovs::msg::CannotReadFile);
        }
        if (bytes.empty()) {
            // The tool creates the file a moment before it writes the header.
            task.state = EmptyState;
            return task;
        }
        taskfile::Content content = taskfile::readContent(file, bytes);
        task.state = taskfile::stateName(content.state);
        task.hasStateText = content.hasStateText;
        task.stateText = content.stateText;
        task.documents = content.documents;
        task.lastError = content.lastError;
        if (task.lastError != 0) {
            task.lastErrorText = ovs::loadMessage(task.lastError);
        }
        task.parameters = std::move(content.parameters);
    } catch (const ovs::Exception& error) {
        task.state = DamagedState;
        task.hasStateText = false;
        task.stateText.clear();
        task.documents = -1;
        task.lastError = 0;
        task.lastErrorText.clear();
        task.readError = error.number();
        task.readErrorText = reasonOf(error);
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
    spec.addPattern(taskfile::Pattern, true);
    scan.configure(spec, 0, 0);
    scan.scan();
    for (const std::string& file : filesMatching(folder, taskfile::PendingPattern)) {
        collector.tasks.push_back(readTaskListing(file, TaskListing::Kind::Pending));
    }
    for (const std::string& file : filesMatching(folder, taskfile::TemporaryPattern)) {
        collector.tasks.push_back(readTaskListing(file, TaskListing::Kind::Temporary));
    }
    std::stable_sort(collector.tasks.begin(), collector.tasks.end(), [](const TaskListing& a, const TaskListing& b) {
        bool aKnown = a.modified != TaskListing::UnknownTime, bKnown = b.modified != TaskListing::UnknownTime;
        if (aKnown != bKnown) {
            return aKnown;
        }
        return a.modified != b.modified ? a.modified < b.modified : a.file < b.file;
    });
    return collector.tasks;
}

std::string listingTitle(const std::string& folder, const std::vector<TaskListing>& tasks) {
    std::size_t counts[3] = {0, 0, 0};
    for (const TaskListing& task : tasks) {
        ++counts[static_cast<int>(task.kind)];
    }
    std::string title = "Task folder " + printable(folder) + ": ";
    title += counts[0] == 0 ? std::string("no task files") : plural(counts[0], "task file", "task files");
    if (counts[1] != 0) {
        title += ", " + plural(counts[1], "pending request", "pending requests");
    }
    if (counts[2] != 0) {
        title += ", " + plural(counts[2], "temporary file", "temporary files");
    }
    return title;
}

std::string listingTable(const std::vector<TaskListing>& tasks, std::int64_t now) {
    if (tasks.empty()) {
        return {};
    }
    constexpr std::size_t Columns = 7;
    constexpr std::size_t DocumentsColumn = 3; // numbers, aligned to the right
    std::vector<std::vector<std::string>> rows;
    rows.push_back({"ID", "STATE", "AGE", "DOCUMENTS", "TYPE", "ERROR", "INPUT -> OUTPUT"});
    for (const TaskListing& task : tasks) {
        rows.push_back(
            {task.id, stateCell(task),
             task.modified == TaskListing::UnknownTime ? std::string("unknown") : ageText(now - task.modified),
             task.documents < 0 ? std::string() : std::to_string(task.documents), typeCell(task), errorCell(task),
             filesCell(task)});
        for (std::string& cell : rows.back()) {
            cell = printable(cell);
        }
    }
    std::size_t widths[Columns] = {};
    for (const auto& row : rows) {
        for (std::size_t column = 0; column < Columns; ++column) {
            widths[column] = std::max(widths[column], row[column].size());
        }
    }
    std::string table;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t column = 0; column < Columns; ++column) {
            std::string padding(widths[column] - row[column].size(), ' ');
            if (column != 0) {
                line += "  ";
            }
            line += column == DocumentsColumn && &row != &rows.front() ? padding + row[column] : row[column] + padding;
        }
        line.erase(line.find_last_not_of(' ') + 1);
        table += line + "\n";
    }
    return table;
}

std::string printable(const std::string& text) {
    std::string out;
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            out += escaped;
        } else {
            out.push_back(c);
        }
    }
    return out;
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
    static const char* const kinds[] = {"task", "pending", "temporary"};
    if (tasks.empty()) {
        return "[]\n";
    }
    std::string out = "[\n";
    for (std::size_t n = 0; n < tasks.size(); ++n) {
        const TaskListing& task = tasks[n];
        const bool readable = task.readError == 0 && task.kind != TaskListing::Kind::Temporary;
        const bool hasContent = readable && task.state != EmptyState;
        out += "{\"id\":" + jsonString(task.id) + ",\"kind\":\"" + kinds[static_cast<int>(task.kind)] +
               "\",\"file\":" + jsonString(ovs::platform::nativePathOf(task.file)) +
               ",\"state\":" + jsonOrNull(task.kind != TaskListing::Kind::Temporary, jsonString(task.state)) +
               ",\"stateText\":" + jsonOrNull(task.hasStateText, jsonString(task.stateText)) +
               ",\"type\":" + jsonOrNull(hasContent, task.isPermissionCheck() ? "\"readpermissions\"" : "\"protect\"") +
               ",\"modified\":" +
               (task.modified != TaskListing::UnknownTime ? jsonString(isoTime(task.modified)) : "null") +
               ",\"documents\":" + jsonOrNull(task.documents >= 0, std::to_string(task.documents)) +
               ",\"lastError\":" + jsonOrNull(task.lastError != 0, std::to_string(task.lastError)) +
               ",\"lastErrorText\":" + jsonOrNull(task.lastError != 0, jsonString(task.lastErrorText)) +
               ",\"readError\":" +
               jsonOrNull(task.readError != 0, "{\"number\":" + std::to_string(task.readError) +
                                                   ",\"text\":" + jsonString(task.readErrorText) + "}") +
               ",\"writer\":" +
               jsonOrNull(task.writer != 0, "{\"process\":" + std::to_string(task.writer) +
                                                ",\"running\":" + (task.writerRunning ? "true" : "false") + "}") +
               ",\"parameters\":";
        if (hasContent) {
            out += "{";
            for (std::size_t p = 0; p < task.parameters.size(); ++p) {
                out +=
                    (p ? "," : "") + jsonString(task.parameters[p].first) + ":" + jsonString(task.parameters[p].second);
            }
            out += "}";
        } else {
            out += "null";
        }
        out += std::string("}") + (n + 1 < tasks.size() ? ",\n" : "\n");
    }
    return out + "]\n";
}
