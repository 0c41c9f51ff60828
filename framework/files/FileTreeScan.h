// A directory walk: collects the files of a folder (and, when asked, of all its sub-folders)
// whose names match the patterns of an ovs::FileScanSpec, and reports folders and files to
// hooks that a derived class overrides. Every list of a folder is complete before its first
// hook runs, so a hook may delete or create entries. The path of the File base is the current
// path: the folder being visited, or inside fileFound the current file's full path.
#pragma once
#include "files/File.h"
#include "files/FileScanSpec.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace ovs {

class FileTreeScan : public File {
public:
    // Scan flags.
    static constexpr std::uint32_t IncludeHiddenAndSystem = 0x1;
    static constexpr std::uint32_t ReportMissingNames = 0x2; // a pattern without wildcards that matches nothing
    static constexpr std::uint32_t FolderDoneAfterSubFolders = 0x10;
    // Attribute flags.
    static constexpr std::uint32_t HiddenEntries = 0x40;
    static constexpr std::uint32_t SystemEntries = 0x80;
    // Walk flags.
    static constexpr std::uint32_t WalkSubFolders = 0x100;

    FileTreeScan();
    ~FileTreeScan() override;

    // The scan holds no file open: closing does nothing.
    void close() override;

    // Takes a copy of the scan record and the flags; the current path becomes its folder with
    // a trailing separator.
    void configure(const FileScanSpec& spec, std::uint32_t scanFlags, std::uint32_t walkFlags);
    // Walks from the scan record's folder. An exception of a hook ends the walk and propagates.
    void scan();
    // Walks one folder depth-first: folderEntered, fileFound per file, folderDone (before or
    // after the sub-folders).
    void scanFolder(const FileString& folder);
    // The matching file names of a folder, each once, in the order of the patterns and, within
    // a pattern, of the system.
    std::vector<FileString> listFiles(const FileString& folder);
    // The sub-folders of a folder ("." and ".." and excluded hidden or system ones left out).
    std::vector<FileString> listFolders(const FileString& folder);

    // Hooks, empty here.
    virtual void folderEntered(const FileString& folder, const std::vector<FileString>& subFolders);
    virtual void fileFound(const FileString& name);
    virtual void folderDone();

    // Inside fileFound: the 1-based number of the current file within its folder.
    std::uint32_t filesInFolder() const { return filesInFolder_; }
    const FileScanSpec& spec() const { return spec_; }
    std::uint32_t scanFlags() const { return scanFlagsWalk_; }
    std::uint32_t walkFlags() const { return walkFlags_; }
    std::uint32_t& attributeFlags() { return *attributeFlags_; }

private:
    bool excluded(std::uint32_t attributes) const;

    std::uint32_t filesInFolder_ = 0;
    FileScanSpec spec_;
    std::uint32_t scanFlags_ = 0;
    std::uint32_t scanFlagsWalk_ = 0; // the copy the walk reads
    std::uint32_t walkFlags_ = 0;
    std::unique_ptr<std::uint32_t> attributeFlags_;
};

} // namespace ovs
