// Per-thread error-location stacks: scope objects push texts that name where work is being
// done (file, topic, option); an exception constructed meanwhile records the composed text.
#pragma once
#include "strings/StringBase.h"

namespace ovs {

class ErrorLocation {
public:
    ErrorLocation(const std::string& text, bool chained = false);
    ~ErrorLocation(); // pops every entry this object pushed
    ErrorLocation(const ErrorLocation&) = delete;
    ErrorLocation& operator=(const ErrorLocation&) = delete;

    void push(const std::string& text, bool chained = false);

private:
    int pushed_ = 0;
};

// The location text of the calling thread's stack (empty when the stack is empty).
StringBase<char> currentErrorLocation();

// Initialiser type run through ovs::AutoInit: creates the map of stacks, destroys it at the end.
class ErrorLocationInit {
public:
    ErrorLocationInit();
    ~ErrorLocationInit();
};

} // namespace ovs
