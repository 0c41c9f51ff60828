// The one process-wide console stream. Every line the tool prints ends with std::endl
// (a line break and a flush); text without a flush behind it is not yet on the console.
#pragma once
#include "runtime/CriticalSection.h"

#include <iostream>
#include <streambuf>

namespace ovs {

// Writes go to the C runtime's standard output, which is flushed when the stream is.
// The one created by ovs::AutoInit<ConsoleStreamBuf> is the process-wide one while it lives.
class ConsoleStreamBuf : public std::basic_streambuf<char, std::char_traits<char>> {
public:
    ConsoleStreamBuf();
    ~ConsoleStreamBuf() override;

protected:
    int_type overflow(int_type character) override;
    std::streamsize xsputn(const char* text, std::streamsize length) override;
    int sync() override;
};

class Console : public std::basic_iostream<char, std::char_traits<char>> {
public:
    explicit Console(ConsoleStreamBuf* buffer);
    ~Console() override;
    // Writes text 55377 ("[Press any key to continue]").
    virtual void promptForKey();

private:
    // Guards the prompt (the second section); the first is kept for callers that need
    // to serialise whole lines.
    struct LockRecord {
        CriticalSection lines;
        CriticalSection prompt;
    };
    LockRecord locks_;
};

// The console, created on first use.
Console& console();
// True while the console exists.
bool consoleExists();
// Deletes the console if it exists (at the end and before every early exit).
void deleteConsole();
// Deletes the console, then ends the process with code through the C runtime's exit.
[[noreturn]] void exitEarly(int code);

} // namespace ovs
