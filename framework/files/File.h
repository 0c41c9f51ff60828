// A file object: a path and an exchangeable implementation (ovs::FileImplWin) that opens,
// creates, reads, writes, positions, flushes, dates and removes the file and creates folders.
// Every failure raises ovs::FileException with the file's path attached.
#pragma once
#include "files/FileImpl.h"
#include "strings/FileString.h"

#include <cstdint>
#include <memory>

namespace ovs {

class File {
public:
    // Mode bits of open, create and createFolder.
    static constexpr std::uint32_t Read = 0x0001;
    static constexpr std::uint32_t Write = 0x0002;
    static constexpr std::uint32_t Truncate = 0x0004; // with write access, open only
    static constexpr std::uint32_t AtEnd = 0x0008;    // position at the end after opening
    static constexpr std::uint32_t Hidden = 0x0040;
    static constexpr std::uint32_t System = 0x0080;
    static constexpr std::uint32_t Folder = 0x0100; // create a folder (create only)
    static constexpr std::uint32_t WritingDisposition = 0x0200;
    static constexpr std::uint32_t ReadShared = 0x0400;   // read access, others may read
    static constexpr std::uint32_t WriteShared = 0x0800;  // write access, others read and write
    static constexpr std::uint32_t MustNotExist = 0x1000; // 1029 when the file exists
    static constexpr std::uint32_t MustExist = 0x2000;    // 1001 when it does not (open only)
    static constexpr std::uint32_t AllLevels = 0x4000;    // with Folder: missing parents too
    static constexpr std::uint32_t WriteThrough = 0x8000;

    File();
    explicit File(const std::string& path);
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    // Closes the file; a failure to close is not reported from here.
    virtual ~File();

    // Closes an open file; raises the mapped error or 1005.
    virtual void close();
    // Raises the mapped error or 1010 (also when the file is not open).
    virtual void write(const void* bytes, std::uint32_t count);
    // Position 0 / the end; raise the mapped error or 1009.
    virtual void rewind();
    virtual void seekEnd();
    virtual void setPath(const std::string& text);
    // Raises 1016 when the path is empty.
    virtual const FileString& path() const;
    // Overwrites the file with zeros and empties it (a missing file is created). False when the
    // folder does not hold it (Windows error 2); other failures raise.
    virtual bool wipe();

    // Opens the file (see the mode bits). Raises 1001 (MustExist, missing), 1029 (MustNotExist,
    // present), 1003 (empty path; otherwise the default of the mapping).
    void open(std::uint32_t mode);
    // Creates the file: CREATE_NEW first, then emptying an existing one with write access.
    // Raises 1029 (MustNotExist, present) or the mapped error, by default 1004. With Folder it
    // creates the folder instead (createFolder).
    void create(std::uint32_t mode, std::uint32_t reserved = 0);
    // Creates the folder named by the path; with AllLevels also every missing parent, and an
    // existing folder is no error. Raises 1004 with the folder and the Windows error code.
    void createFolder(std::uint32_t mode);
    // Returns the count read; raises 1009 when not open, on failure (mapped), and for a short
    // read with exact set.
    std::uint32_t read(void* buffer, std::uint32_t count, bool exact);
    // Sizes; raise the mapped error or 1009 (1009 also when the file is not open).
    std::uint32_t size();
    std::uint64_t size64();
    // Positions from the start; raises the mapped error or 1009.
    void seek(std::uint64_t position);
    // The current position; 0 when the file is not open.
    std::uint64_t tell();
    // Flushes; a file not open is opened with 0x2003 for the moment.
    void flush();
    // Cuts the file at the current position (no error raised).
    void truncate();
    // DeleteFileA on the path; false when Windows refuses.
    bool remove();
    // File times in seconds since 2000-01-01 UTC; raise the mapped error or 1009.
    void getTimes(std::uint32_t& creation, std::uint32_t& lastAccess, std::uint32_t& lastWrite);
    void setTimes(std::uint32_t creation, std::uint32_t lastAccess, std::uint32_t lastWrite);
    bool isOpen() const;

protected:
    FileString path_;
    std::unique_ptr<FileImpl> implementation_;

private:
    // The open implementation, or raises the number with the path.
    FileImpl& openImplementation(int number);
    void createOneFolder(const FileString& folder);
};

} // namespace ovs
