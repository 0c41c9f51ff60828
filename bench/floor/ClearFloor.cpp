// The floor of an ALL clear: what any correct one must ask of the system for each task file,
// made straight through POSIX and nothing else. Each file of the folder named is opened, its
// status taken (a folder or a read-only file is not removed), its head read (only task files,
// empty or beginning with the header, are removed), closed and removed, and one line is
// written and flushed for it, in the order of names. `make bench` times it beside the tool's
// clear, so that P2 shows how far the tool is from what its work costs, not only from
// `find -delete`, which reads nothing.
#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

constexpr std::string_view TaskHeader = "[ORVA-SYSTEMS Control File]";

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: ClearFloor FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    std::vector<std::string> names;
    if (DIR* directory = ::opendir(argv[1])) {
        while (const dirent* entry = ::readdir(directory)) {
            if (entry->d_name[0] != '.') {
                names.emplace_back(entry->d_name);
            }
        }
        ::closedir(directory);
    }
    std::sort(names.begin(), names.end());
    int failed = 0;
    for (const std::string& name : names) {
        const std::string path = folder + name;
        const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info;
        char head[1024];
        const ssize_t got =
            descriptor >= 0 && ::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & S_IWUSR) != 0
                ? ::read(descriptor, head, sizeof head)
                : -1;
        if (descriptor >= 0) {
            ::close(descriptor);
        }
        if (got > 0 && std::string_view(head, got).substr(0, TaskHeader.size()) != TaskHeader) {
            continue; // no task file
        }
        if (got < 0 || ::unlink(path.c_str()) != 0) {
            ++failed;
            continue;
        }
        const std::string line = "Removed file " + path + "\n";
        if (::write(STDOUT_FILENO, line.data(), line.size()) < 0) {
            ++failed;
        }
    }
    return failed == 0 ? 0 : 1;
}
