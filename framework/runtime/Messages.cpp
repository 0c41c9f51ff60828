// The message table: lookup in the program's string resources, placeholder substitution
// and the message prefix.
#include "runtime/Messages.h"
#include "platform/Win32.h"
#include "runtime/StartUp.h"

#include <cstring>

namespace ovs {
namespace {

constexpr std::size_t maximumPrefixLength = 11;
constexpr int textBufferSize = 512;

StringBase<char>& prefixText() {
    static StringBase<char>* prefix = new StringBase<char>; // lives to the end of the process
    return *prefix;
}

bool loadFrom(HMODULE module, int number, StringBase<char>& text) {
    if (number < 0 || number > 0xFFFF) { // string resources carry 16-bit ids
        return false;
    }
    char buffer[textBufferSize];
    std::memset(buffer, 0, sizeof(buffer));
    int length = LoadStringA(module, static_cast<UINT>(number), buffer, textBufferSize);
    if (length <= 0 || buffer[0] == '\0') {
        return false;
    }
    text.assign(buffer, std::strlen(buffer));
    return true;
}

// Deletes every occurrence of pattern from text; returns how many there were.
int eraseAll(std::string& text, const char* pattern) {
    int count = 0;
    std::size_t length = std::strlen(pattern);
    for (std::size_t at = text.find(pattern); at != std::string::npos; at = text.find(pattern, at)) {
        text.erase(at, length);
        ++count;
    }
    return count;
}

} // namespace

StringBase<char> loadMessage(int number, bool* found) {
    HMODULE first;
    HMODULE second;
    if (StartUp* startUp = StartUp::current()) {
        second = startUp->instanceModule();
        first = startUp->languageModule() != nullptr ? startUp->languageModule() : second;
    } else {
        first = second = GetModuleHandleA(nullptr);
    }
    StringBase<char> text;
    bool hit = loadFrom(first, number, text) || loadFrom(second, number, text);
    if (found != nullptr) {
        *found = hit;
    }
    return text;
}

StringBase<char> formatMessage(const char* format, const char* a1, const char* a2, const char* a3, const char* a4,
                               const char* a5, const char* a6, const char* a7, const char* a8, const char* a9) {
    if (format == nullptr) {
        return StringBase<char>();
    }
    const char* arguments[9] = {a1, a2, a3, a4, a5, a6, a7, a8, a9};
    std::string result = format;

    // Which positions occur decides which arguments are taken; "%%" is no placeholder.
    std::string work = result;
    eraseAll(work, "%%");
    std::string recorded[10];
    for (int k = 1; k <= 9; ++k) {
        const char pattern[3] = {'%', static_cast<char>('0' + k), '\0'};
        if (eraseAll(work, pattern) != 0 && arguments[k - 1] != nullptr) {
            recorded[k] = arguments[k - 1];
        }
        if (work.find('%') == std::string::npos) {
            break;
        }
    }

    std::size_t at = 0;
    while ((at = result.find('%', at)) != std::string::npos) {
        if (at + 1 >= result.size()) {
            break; // a trailing "%" stays
        }
        char next = result[at + 1];
        if (next >= '1' && next <= '9') {
            const std::string& inserted = recorded[next - '0'];
            result.replace(at, 2, inserted);
            at += inserted.size(); // inserted text is never scanned again
        } else if (next == '%') {
            result.erase(at, 1);
            at += 1;
        } else {
            at += 2;
        }
    }
    return result;
}

StringBase<char> loadAndFormat(int number, const char* a1, const char* a2, const char* a3) {
    StringBase<char> format = loadMessage(number);
    return formatMessage(format.c_str(), a1, a2, a3);
}

void setMessagePrefix(const std::string& prefix) {
    prefixText() = prefix.substr(0, maximumPrefixLength);
}

const StringBase<char>& messagePrefix() {
    return prefixText();
}

} // namespace ovs
