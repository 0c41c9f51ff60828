// POSIX substitute: reading /proc.
#include "platform/posix/process/ProcessInfo.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace ovs::posix {

namespace {
std::string procPath(DWORD processId, const char* leaf) {
    return "/proc/" + std::to_string(processId) + "/" + leaf;
}
} // namespace

bool readProcessStatus(DWORD processId, ProcessStatus& status) {
    std::ifstream stream(procPath(processId, "stat"));
    std::string line;
    if (!std::getline(stream, line)) {
        return false;
    }
    std::size_t close = line.rfind(')'); // the command name may hold blanks and parentheses
    if (close == std::string::npos) {
        return false;
    }
    std::istringstream fields(line.substr(close + 1));
    std::vector<std::string> values; // values[0] is field 3 of stat
    std::string value;
    while (fields >> value && values.size() < 20) {
        values.push_back(value);
    }
    if (values.size() < 20) {
        return false;
    }
    status.state = values[0].empty() ? '?' : values[0][0];
    status.parentId = static_cast<DWORD>(std::strtoul(values[1].c_str(), nullptr, 10));
    status.threads = static_cast<DWORD>(std::strtoul(values[17].c_str(), nullptr, 10));
    status.startTime = std::strtoull(values[19].c_str(), nullptr, 10);
    return true;
}

bool processActive(DWORD processId, unsigned long long startTime) {
    ProcessStatus status;
    if (!readProcessStatus(processId, status) || status.state == 'Z' || status.state == 'X' || status.state == 'x') {
        return false;
    }
    return startTime == 0 || status.startTime == startTime;
}

std::string processExecutable(DWORD processId) {
    char target[4096];
    ssize_t length = ::readlink(procPath(processId, "exe").c_str(), target, sizeof target - 1);
    if (length <= 0) {
        return std::string();
    }
    std::string path(target, static_cast<std::size_t>(length));
    const std::string deleted = " (deleted)";
    if (path.size() > deleted.size() && path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0) {
        path.erase(path.size() - deleted.size());
    }
    return path;
}

std::string processImageName(DWORD processId) {
    std::string executable = processExecutable(processId);
    if (!executable.empty()) {
        return executable.substr(executable.rfind('/') + 1);
    }
    std::ifstream stream(procPath(processId, "comm"));
    std::string name;
    std::getline(stream, name);
    return name;
}

std::vector<DWORD> processIds() {
    std::vector<DWORD> ids;
    DIR* folder = ::opendir("/proc");
    if (folder == nullptr) {
        return ids;
    }
    while (dirent* entry = ::readdir(folder)) {
        const char* name = entry->d_name;
        if (*name != '\0' && std::all_of(name, name + std::char_traits<char>::length(name),
                                         [](char c) { return c >= '0' && c <= '9'; })) {
            ids.push_back(static_cast<DWORD>(std::strtoul(name, nullptr, 10)));
        }
    }
    ::closedir(folder);
    std::sort(ids.begin(), ids.end());
    return ids;
}

} // namespace ovs::posix
