// The per-thread error-location stacks, kept in one process-wide map keyed by thread.
#include "runtime/ErrorLocation.h"
#include "platform/Win32.h"
#include "runtime/CriticalSection.h"

#include <map>
#include <vector>

namespace ovs {
namespace {

struct Entry {
    StringBase<char> text;
    bool chained;
};
using Stack = std::vector<Entry>;
using StackMap = std::map<DWORD, Stack>;

StackMap* stacks = nullptr;

// The calling thread's stack, created on first use (with the map when there is none).
// Entries of a std::map never move, so the reference stays valid while the map lives.
Stack& threadStack() {
    CriticalSection::Lock lock(processCriticalSection());
    if (stacks == nullptr) {
        stacks = new StackMap;
    }
    return (*stacks)[GetCurrentThreadId()];
}

} // namespace

ErrorLocation::ErrorLocation(const std::string& text, bool chained) {
    push(text, chained);
}

ErrorLocation::~ErrorLocation() {
    Stack& stack = threadStack();
    for (; pushed_ > 0 && !stack.empty(); --pushed_) {
        stack.pop_back();
    }
}

void ErrorLocation::push(const std::string& text, bool chained) {
    threadStack().push_back(Entry{text, chained});
    ++pushed_;
}

StringBase<char> currentErrorLocation() {
    const Stack& stack = threadStack();
    if (stack.empty()) {
        return StringBase<char>();
    }
    std::size_t index = stack.size() - 1;
    std::string result = stack[index].text;
    while (stack[index].chained && index > 0) {
        --index;
        result = stack[index].text + ", " + result;
    }
    return result;
}

ErrorLocationInit::ErrorLocationInit() {
    CriticalSection::Lock lock(processCriticalSection());
    if (stacks == nullptr) {
        stacks = new StackMap;
    }
}

ErrorLocationInit::~ErrorLocationInit() {
    CriticalSection::Lock lock(processCriticalSection());
    delete stacks;
    stacks = nullptr;
}

} // namespace ovs
