// Strings with a C runtime buffer.
#include "strings/StringOld.h"

#include <cstdlib>
#include <new>

namespace ovs {

StringOld::StringOld(const StringOld& other) : StringBase<char>(other) {}

StringOld& StringOld::operator=(const StringOld& other) {
    StringBase<char>::operator=(other);
    return *this;
}

StringOld::~StringOld() {
    std::free(buffer_);
}

char* StringOld::buffer(std::size_t size) {
    char* fresh = static_cast<char*>(std::calloc(size == 0 ? 1 : size, 1));
    if (fresh == nullptr) {
        throw std::bad_alloc();
    }
    std::free(buffer_);
    buffer_ = fresh;
    return buffer_;
}

void StringOld::takeBuffer() {
    assign(buffer_ != nullptr ? buffer_ : "");
}

} // namespace ovs
