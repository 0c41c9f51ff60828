// A narrow string that also owns one character buffer from the C runtime's allocator, as
// holders of formatted texts need.
#pragma once
#include "strings/StringBase.h"

#include <cstddef>

namespace ovs {

class StringOld : public StringBase<char> {
public:
    using StringBase<char>::StringBase;
    StringOld() = default;
    StringOld(const StringOld& other);
    StringOld& operator=(const StringOld& other);
    ~StringOld() override; // releases the buffer with free

    // A zeroed buffer of size bytes, replacing the one before; throws std::bad_alloc when
    // the C runtime has no memory.
    char* buffer(std::size_t size);
    // The buffer, or null when there is none.
    char* buffer() const { return buffer_; }
    // Takes the buffer's text (up to its zero byte) as the string's value.
    void takeBuffer();

private:
    char* buffer_ = nullptr;
};

} // namespace ovs
