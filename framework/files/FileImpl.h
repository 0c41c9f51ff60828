// The exchangeable implementation behind ovs::File: one open file of the platform. Every
// operation that fails raises ovs::FileException through raiseFileError with the number the
// caller gives as default.
#pragma once
#include "strings/FileString.h"

#include <cstdint>

namespace ovs {

class FileImpl {
public:
    FileImpl() = default;
    FileImpl(const FileImpl&) = delete;
    FileImpl& operator=(const FileImpl&) = delete;
    // Closes the file quietly when it is still open.
    virtual ~FileImpl() = default;

    // Opens the path with the mode bits of ovs::File; raises the mapped error or 1003.
    virtual void open(const std::string& path, std::uint32_t mode) = 0;
    // Returns the count read (less at the end of the file); raises the mapped error or 1009.
    virtual std::uint32_t read(void* buffer, std::uint32_t count) = 0;
    // Raises the mapped error or 1010.
    virtual void write(const void* buffer, std::uint32_t count) = 0;
    // Creates (or empties) the file; raises the mapped error or 1004.
    virtual void create(const std::string& path, std::uint32_t mode, std::uint32_t reserved) = 0;
    // The low 32 bits of size64.
    virtual std::uint32_t size() = 0;
    // Raises the mapped error or 1009.
    virtual std::uint64_t size64() = 0;
    // The current position (no check).
    virtual std::uint64_t tell() = 0;
    virtual bool isOpen() const = 0;
    // Closes the file; raises the mapped error or 1005. Closing a closed file does nothing.
    virtual void close() = 0;
    // Positions from the start / at the end; raise the mapped error or 1009.
    virtual void seek(std::uint64_t position) = 0;
    virtual void seekEnd() = 0;
    // Neither raises.
    virtual void flush() = 0;
    virtual void truncate() = 0;
    // File times in seconds since 2000-01-01 00:00:00 UTC (FileTimes.h); raise the mapped
    // error or 1009.
    virtual void getTimes(std::uint32_t& creation, std::uint32_t& lastAccess, std::uint32_t& lastWrite) = 0;
    virtual void setTimes(std::uint32_t creation, std::uint32_t lastAccess, std::uint32_t lastWrite) = 0;
    // Raises ovs::FileException for the thread's last Windows error (FileError.h).
    [[noreturn]] virtual void raiseFileError(int defaultNumber) = 0;

    const FileString& path() const { return path_; }

protected:
    FileString path_;
};

} // namespace ovs
