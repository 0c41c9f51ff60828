// The directory walk over FindFirstFileA / FindNextFileA.
#include "files/FileTreeScan.h"
#include "platform/Win32.h"

#include <set>
#include <string>

namespace ovs {

namespace {

// Closes a search when the listing ends, also when it ends by an exception.
class FindSearch {
public:
    FindSearch(const FileString& mask, WIN32_FIND_DATAA& data) : handle_(FindFirstFileA(mask.c_str(), &data)) {}
    ~FindSearch() {
        if (found()) {
            FindClose(handle_);
        }
    }
    FindSearch(const FindSearch&) = delete;
    FindSearch& operator=(const FindSearch&) = delete;
    bool found() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool next(WIN32_FIND_DATAA& data) { return FindNextFileA(handle_, &data) != FALSE; }

private:
    HANDLE handle_;
};

FileString joined(const FileString& folder, const std::string& name) {
    FileString path(folder);
    path.join(name);
    return path;
}

} // namespace

FileTreeScan::FileTreeScan() : attributeFlags_(std::make_unique<std::uint32_t>(0)) {}

FileTreeScan::~FileTreeScan() = default;

void FileTreeScan::close() {}

void FileTreeScan::configure(const FileScanSpec& spec, std::uint32_t scanFlags, std::uint32_t walkFlags) {
    close();
    if (&spec != &spec_) {
        spec_ = spec;
    }
    scanFlags_ = scanFlags;
    scanFlagsWalk_ = scanFlags;
    walkFlags_ = walkFlags;
    *attributeFlags_ = walkFlags;
    if (scanFlags & IncludeHiddenAndSystem) {
        *attributeFlags_ |= HiddenEntries | SystemEntries;
    }
    if (spec_.recursive()) {
        walkFlags_ |= WalkSubFolders;
    }
    path_ = spec_.folder();
    path_.withSeparator();
}

void FileTreeScan::scan() {
    scanFolder(FileString(spec_.folder()));
}

void FileTreeScan::scanFolder(const FileString& folder) {
    std::vector<FileString> subFolders;
    if (walkFlags_ & WalkSubFolders) {
        subFolders = listFolders(folder);
    }
    const std::vector<FileString> files = listFiles(folder);
    path_ = folder;
    folderEntered(folder, subFolders);
    filesInFolder_ = 0;
    for (const FileString& name : files) {
        ++filesInFolder_;
        path_ = joined(folder, name);
        fileFound(name);
    }
    if (!(scanFlagsWalk_ & FolderDoneAfterSubFolders)) {
        path_ = folder;
        folderDone();
    }
    for (const FileString& name : subFolders) {
        scanFolder(joined(folder, name));
    }
    if (scanFlagsWalk_ & FolderDoneAfterSubFolders) {
        path_ = folder;
        folderDone();
    }
}

bool FileTreeScan::excluded(std::uint32_t attributes) const {
    return ((attributes & FILE_ATTRIBUTE_HIDDEN) && !(*attributeFlags_ & HiddenEntries)) ||
           ((attributes & FILE_ATTRIBUTE_SYSTEM) && !(*attributeFlags_ & SystemEntries));
}

std::vector<FileString> FileTreeScan::listFiles(const FileString& folder) {
    std::vector<FileString> names;
    std::set<std::string> taken;
    spec_.setPatternCursor(0);
    FileString pattern;
    while (spec_.nextPattern(pattern)) {
        const FileString mask = joined(folder, pattern);
        WIN32_FIND_DATAA data;
        FindSearch search(mask, data);
        if (!search.found()) {
            if ((scanFlagsWalk_ & ReportMissingNames) && pattern.find_first_of("*?") == std::string::npos) {
                FileString name = mask.fileName();
                if (taken.insert(name).second) {
                    names.push_back(name);
                }
            }
            continue;
        }
        do {
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || excluded(data.dwFileAttributes)) {
                continue;
            }
            if (taken.insert(data.cFileName).second) {
                names.emplace_back(data.cFileName);
            }
        } while (search.next(data));
    }
    return names;
}

std::vector<FileString> FileTreeScan::listFolders(const FileString& folder) {
    std::vector<FileString> names;
    WIN32_FIND_DATAA data;
    FindSearch search(joined(folder, "*.*"), data);
    if (!search.found()) {
        return names;
    }
    do {
        const std::string name = data.cFileName;
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == "." || name == ".." ||
            excluded(data.dwFileAttributes)) {
            continue;
        }
        names.emplace_back(name);
    } while (search.next(data));
    return names;
}

void FileTreeScan::folderEntered(const FileString&, const std::vector<FileString>&) {}

void FileTreeScan::fileFound(const FileString&) {}

void FileTreeScan::folderDone() {}

} // namespace ovs
