// Reading task files for the inspector and printing them as text lines or JSON.
#include "TaskListing.h"

#include "FraskPdfTreeScan.h"
#include "MessageNumbers.h"
#include "TaskFile.h"
#include "platform/Win32.h"
#include "runtime/Exception.h"
#include "runtime/Messages.h"

#include <algorithm>
#include <cstdio>
#include <memory>

const char* const DamagedState = "damaged";
const char* const EmptyState = "empty";

namespace {

// Task files are a few hundred bytes; anything this large is not one.
constexpr std::uint64_t LargestTaskFile = 1 << 20;

[[noreturn]] void raiseUnreadable(const std::string& file, int number) {
    ovs::FileException error(number);
    error.setPath(file);
    throw error;
}

// The file's bytes and last write time.
std::int64_t readWhole(const std::string& file, std::string& bytes) {
    taskfile::EntryReader reader(file);
    if (!reader.isOpen()) {
        raiseUnreadable(file, ovs::msg::FileNotFound);
    }
    std::int64_t modified = 0;
    std::uint64_t size = 0;
    if (!reader.status(modified, size) || size > LargestTaskFile ||
        !reader.read(bytes, static_cast<std::size_t>(size))) {
        raiseUnreadable(file, ovs::msg::CannotReadFile);
    }
    return modified;
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
    task.id = taskfile::idTextOfName(file);
    try {
        std::string bytes;
        task.modified = readWhole(file, bytes);
        if (bytes.empty()) {
            // The tool creates the file a moment before it writes the header.
            task.state = EmptyState;
            return task;
        }
        taskfile::Content content = taskfile::readContent(file, bytes);
        task.state = taskfile::stateName(content.state);
        task.documents = content.documents;
        task.lastError = content.lastError;
        if (task.lastError != 0) {
            task.lastErrorText = ovs::loadMessage(task.lastError);
        }
        task.parameters = std::move(content.parameters);
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
    spec.addPattern(taskfile::Pattern, true);
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
