// File exceptions: the message shows the file's path in display form as "%1".
#include "runtime/Exception.h"

namespace ovs {

FileException::~FileException() = default;

const char* FileException::message() const {
    return compose(path_.displayForm(0, 1), argument(1), argument(2));
}

const FileString& FileException::path() const {
    return path_;
}

void FileException::setPath(const FileString& path) {
    path_ = path;
}

std::uint32_t FileException::systemError() const {
    return systemError_;
}

void FileException::setSystemError(std::uint32_t code) {
    systemError_ = code;
}

} // namespace ovs
