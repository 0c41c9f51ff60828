// The Windows file implementation: a file handle of CreateFileA and the Win32 file functions.
#pragma once
#include "files/FileImpl.h"
#include "platform/Win32.h"

namespace ovs {

class FileImplWin : public FileImpl {
public:
    FileImplWin() = default;
    // Closes the handle quietly when it is still open.
    ~FileImplWin() override;

    void open(const std::string& path, std::uint32_t mode) override;
    std::uint32_t read(void* buffer, std::uint32_t count) override;
    void write(const void* buffer, std::uint32_t count) override;
    void create(const std::string& path, std::uint32_t mode, std::uint32_t reserved) override;
    std::uint32_t size() override;
    std::uint64_t size64() override;
    std::uint64_t tell() override;
    bool isOpen() const override;
    void close() override;
    void seek(std::uint64_t position) override;
    void seekEnd() override;
    void flush() override;
    void truncate() override;
    void getTimes(std::uint32_t& creation, std::uint32_t& lastAccess, std::uint32_t& lastWrite) override;
    void setTimes(std::uint32_t creation, std::uint32_t lastAccess, std::uint32_t lastWrite) override;
    [[noreturn]] void raiseFileError(int defaultNumber) override;

    HANDLE handle() const { return handle_; }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

} // namespace ovs
