// A hostile neighbour of the task folder, for the fault tests. Every mode prints one line when
// it is in place ("watching", "locked", "made") and ends by itself after the seconds given.
//
//   Neighbour swap <folder> <suffix> <kind> <target> <seconds>
//       whenever a regular file whose name ends with suffix appears in the folder (created,
//       renamed into it or written), it is replaced at once by: kind "link", a symbolic link to
//       target; "fifo", a FIFO; prints "swapped <name>" for each
//   Neighbour lock <folder> <seconds>       holds an exclusive flock on the folder
//   Neighbour fifo <path>                   makes a FIFO
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int usage() {
    std::fprintf(stderr, "usage: Neighbour swap <folder> <suffix> link|fifo <target> <seconds>\n"
                         "       Neighbour lock <folder> <seconds>\n"
                         "       Neighbour fifo <path>\n");
    return 2;
}

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Puts the replacement in place of path in one rename, so that the name never goes missing.
bool swapOut(const std::string& folder, const std::string& name, const std::string& kind, const std::string& target) {
    const std::string path = folder + "/" + name;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false; // gone, or already one of ours
    }
    const std::string spare = folder + "/.neighbour-" + std::to_string(::getpid());
    ::unlink(spare.c_str());
    int made = kind == "fifo" ? ::mkfifo(spare.c_str(), 0666) : ::symlink(target.c_str(), spare.c_str());
    if (made != 0 || ::rename(spare.c_str(), path.c_str()) != 0) {
        ::unlink(spare.c_str());
        return false;
    }
    say("swapped " + name);
    return true;
}

int swap(const std::string& folder, const std::string& suffix, const std::string& kind, const std::string& target,
         int seconds) {
    int watch = ::inotify_init1(IN_CLOEXEC);
    if (watch < 0 || ::inotify_add_watch(watch, folder.c_str(), IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE) < 0) {
        std::perror("inotify");
        return 1;
    }
    say("watching");
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    alignas(inotify_event) char buffer[64 * 1024];
    while (std::chrono::steady_clock::now() < end) {
        pollfd ready{watch, POLLIN, 0};
        if (::poll(&ready, 1, 100) <= 0) {
            continue;
        }
        ssize_t got = ::read(watch, buffer, sizeof buffer);
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            std::string name = event->len > 0 ? event->name : "";
            if (endsWith(name, suffix) && name.rfind(".neighbour-", 0) != 0) {
                swapOut(folder, name, kind, target);
            }
        }
    }
    return 0;
}

int lock(const std::string& folder, int seconds) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::flock(fd, LOCK_EX) != 0) {
        std::perror(folder.c_str());
        return 1;
    }
    say("locked");
    ::sleep(static_cast<unsigned>(seconds));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "swap" && argc == 7) {
        return swap(argv[2], argv[3], argv[4], argv[5], std::atoi(argv[6]));
    }
    if (mode == "lock" && argc == 4) {
        return lock(argv[2], std::atoi(argv[3]));
    }
    if (mode == "fifo" && argc == 3) {
        if (::mkfifo(argv[2], 0666) != 0) {
            std::perror(argv[2]);
            return 1;
        }
        say("made");
        return 0;
    }
    return usage();
}
