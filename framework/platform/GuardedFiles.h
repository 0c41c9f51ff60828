// Files in a folder that other programs may write as well: a file made and written through
// the one handle that made it, the identity of what a name is now, reads that open only
// regular files and never wait for a writer, and whether a folder lets others swap its
// entries. Names are in the framework's Windows form.
#pragma once
#include "platform/Win32.h"

#include <cstdint>
#include <string>

namespace ovs::platform {

// What a file is, whatever it is named: its volume (device) and its index (inode) there.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileIdentity& other) const { return volume == other.volume && index == other.index; }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

// Makes a new file of that name (never opening anything that is there already, a link
// included), writes the bytes through the handle it made and closes it; identity receives
// what was made. ERROR_SUCCESS, or the Windows error (ERROR_FILE_EXISTS for a name that is
// taken, ERROR_DISK_FULL for a file that may grow no further); a file made but not written
// whole is removed again.
DWORD createFileWith(const std::string& path, const std::string& bytes, FileIdentity& identity);

// The identity of the regular file that the name is itself; false for a name that is missing
// or anything else (a link, a folder, a FIFO, a device). Nothing is opened that could wait.
bool regularFileIdentity(const std::string& path, FileIdentity& identity);

// Removes the name only while it still is the file of that identity; false otherwise.
bool removeOwnFile(const std::string& path, const FileIdentity& identity);

// The error of an open refused because the name is no regular file (ERROR_BAD_FILE_TYPE).
constexpr DWORD ErrorNotARegularFile = 222;

// A regular file opened for reading only, sharing it with readers, writers and deleters.
// Anything else at the name (a FIFO, a device, a folder) is not opened, with
// ErrorNotARegularFile, and the open never waits for another program.
class RegularFileReader {
public:
    // Closed until open.
    RegularFileReader() = default;
    // Opens the file at once; isOpen tells whether that worked.
    explicit RegularFileReader(const std::string& path);
    ~RegularFileReader();
    RegularFileReader(const RegularFileReader&) = delete;
    RegularFileReader& operator=(const RegularFileReader&) = delete;

    // Opens the file into a reader that is not open yet: ERROR_SUCCESS, or the Windows error of
    // the refused open (error() then says the same).
    DWORD open(const std::string& path);
    bool isOpen() const { return open_; }
    // The Windows error of the open, or of the last call that failed.
    DWORD error() const { return error_; }
    // The last write, in seconds since 1970-01-01 UTC, and the size; false when either
    // cannot be asked.
    bool status(std::int64_t& modified, std::uint64_t& size);
    // Up to count bytes in one read call: what was read (0 at the end), or -1.
    long readOnce(char* buffer, std::size_t count);

private:
    std::intptr_t handle_ = -1; // a descriptor on POSIX, a HANDLE on Windows
    bool open_ = false;
    DWORD error_ = ERROR_SUCCESS;
};

// True when users other than the folder's owner may add, rename and remove its entries (it
// is writable by its group or by others and has no sticky bit): anyone of them could swap a
// file for a link between two opens. Always false on Windows, where the folder's access list
// decides and a user's application-data folder is the user's own.
bool othersMaySwapEntries(const std::string& folder);

} // namespace ovs::platform
