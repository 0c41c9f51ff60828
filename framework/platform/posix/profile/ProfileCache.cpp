// POSIX substitute: the cache of the last private-profile file read.
#include "platform/posix/profile/ProfileCache.h"
#include "platform/posix/file/WinFileCommon.h"

#include <mutex>
#include <string>

#include <sys/stat.h>
#include <time.h>

namespace ovs::posix {

namespace {

constexpr long long FineMargin = 50'000'000LL;      // ns: stamps with nanoseconds
constexpr long long CoarseMargin = 2'000'000'000LL; // ns: stamps in whole seconds

long long nanoseconds(const timespec& time) {
    return static_cast<long long>(time.tv_sec) * 1'000'000'000LL + time.tv_nsec;
}

// What identifies one state of a file.
struct FileState {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modified = 0;
    long long changed = 0;

    bool operator==(const FileState& other) const {
        return device == other.device && inode == other.inode && size == other.size && modified == other.modified &&
               changed == other.changed;
    }
};

bool stateFrom(const struct stat& status, FileState& state) {
    if (!S_ISREG(status.st_mode)) {
        return false;
    }
    state = {status.st_dev, status.st_ino, status.st_size, nanoseconds(status.st_mtim), nanoseconds(status.st_ctim)};
    return true;
}

// True, with ERROR_SHARING_VIOLATION as the last error, when a handle of this process holds the
// file without sharing it for reading: Windows opens the file for each call (reading, sharing
// reads and writes) and falls back to the default when that opening is refused.
bool heldFromReading(const FileState& state) {
    if (shareTableRefuses({state.device, state.inode}, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return true;
    }
    return false;
}

bool stateOf(const std::string& path, FileState& state) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 && stateFrom(status, state);
}

// True when the state was already settled at the moment `now`: its last change lies further
// back than the time-stamp granularity, so any later change gets another change time.
bool settledAt(const FileState& state, long long now) {
    bool wholeSeconds = state.modified % 1'000'000'000LL == 0 && state.changed % 1'000'000'000LL == 0;
    return state.changed + (wholeSeconds ? CoarseMargin : FineMargin) < now;
}

struct Cache {
    std::mutex lock;
    std::string path;
    FileState state;
    std::shared_ptr<const ProfileText> text; // null: nothing kept
};

Cache& cache() {
    static Cache* instance = new Cache; // never destroyed: usable until the process ends
    return *instance;
}

} // namespace

std::shared_ptr<const ProfileText> readProfileCached(const ProfileLocation& location) {
    timespec clock;
    ::clock_gettime(CLOCK_REALTIME, &clock);
    const long long now = nanoseconds(clock);
    // Only a file kept is looked up before reading: its state then decides whether the text
    // kept is still the file's. The text and the state it was read in are taken together, so
    // the text answers while the file is in that state, whatever another thread keeps meanwhile.
    Cache& kept = cache();
    std::shared_ptr<const ProfileText> keptText;
    FileState keptState;
    {
        std::lock_guard<std::mutex> guard(kept.lock);
        if (kept.text && kept.path == location.unixPath) {
            keptText = kept.text;
            keptState = kept.state;
        }
    }
    FileState state;
    if (keptText && stateOf(location.unixPath, state) && state == keptState) {
        if (heldFromReading(state)) {
            return nullptr;
        }
        SetLastError(ERROR_SUCCESS);
        return keptText;
    }
    // The state kept is that of the file opened, taken before its text is read: a change in
    // between makes the kept state older than the text, which costs one more read later but
    // never gives a stale answer.
    std::string text;
    struct stat status;
    if (!readProfileText(location, text, &status)) {
        return nullptr;
    }
    const bool known = stateFrom(status, state);
    if (known && heldFromReading(state)) {
        return nullptr;
    }
    auto profile = std::make_shared<const ProfileText>(std::move(text));
    std::lock_guard<std::mutex> guard(kept.lock);
    if (known && settledAt(state, now)) {
        kept.path = location.unixPath;
        kept.state = state;
        kept.text = profile;
    } else {
        kept.text.reset();
    }
    return profile;
}

} // namespace ovs::posix
