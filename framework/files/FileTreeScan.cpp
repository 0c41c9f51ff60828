// The directory walk over the entries that FindFirstFileA / FindNextFileA find, read for all
// patterns of a folder at once (ovs::platform::entriesMatching).
#include "files/FileTreeScan.h"
#include "platform/FolderNames.h"
#include "platform/Win32.h"

#include <set>
#include <string>

namespace ovs {

namespace {

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
    std::vector<FileString> patterns;
    std::vector<std::string> masks;
    spec_.setPatternCursor(0);
    FileString pattern;
    while (spec_.nextPattern(pattern)) {
        masks.push_back(joined(folder, pattern));
        patterns.push_back(pattern);
    }
    const std::vector<std::vector<platform::FoundEntry>> found = platform::entriesMatching(masks);
    // A name is listed once. One search gives a name twice only where two Unix names show as one
    // Windows name, and those sort next to each other; a later pattern's names are looked up
    // among all taken so far, in a set made only when a later pattern gives any.
    std::set<std::string> taken;
    auto take = [&](std::size_t patternIndex, const std::string& name) {
        if (patternIndex > 0 && taken.empty()) {
            taken.insert(names.begin(), names.end());
        }
        if (patternIndex == 0 ? names.empty() || names.back() != name : taken.insert(name).second) {
            names.emplace_back(name);
        }
    };
    for (std::size_t i = 0; i < masks.size(); ++i) {
        if (found[i].empty()) {
            if ((scanFlagsWalk_ & ReportMissingNames) && patterns[i].find_first_of("*?") == std::string::npos) {
                take(i, FileString(masks[i]).fileName());
            }
            continue;
        }
        for (const platform::FoundEntry& entry : found[i]) {
            if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY) && !excluded(entry.attributes)) {
                take(i, entry.name);
            }
        }
    }
    return names;
}

std::vector<FileString> FileTreeScan::listFolders(const FileString& folder) {
    std::vector<FileString> names;
    const std::vector<std::vector<platform::FoundEntry>> found = platform::entriesMatching({joined(folder, "*.*")});
    for (const platform::FoundEntry& entry : found[0]) {
        if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY) || entry.name == "." || entry.name == ".." ||
            excluded(entry.attributes)) {
            continue;
        }
        names.emplace_back(entry.name);
    }
    return names;
}

void FileTreeScan::folderEntered(const FileString&, const std::vector<FileString>&) {}

void FileTreeScan::fileFound(const FileString&) {}

void FileTreeScan::folderDone() {}

} // namespace ovs
