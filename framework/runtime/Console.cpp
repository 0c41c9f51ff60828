// The console stream and its stream buffer over the C runtime's standard output.
#include "runtime/Console.h"
#include "MessageNumbers.h"
#include "runtime/Messages.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ovs {
namespace {

Console* theConsole = nullptr;
ConsoleStreamBuf* processBuffer = nullptr; // the registered buffer while it lives
bool creatingFallback = false;

// Used when no registered buffer exists (before initialisation, after its clean-up).
ConsoleStreamBuf& fallbackBuffer() {
    creatingFallback = true;
    static ConsoleStreamBuf* buffer = new ConsoleStreamBuf; // lives to the end of the process
    creatingFallback = false;
    return *buffer;
}

ConsoleStreamBuf& currentBuffer() {
    return processBuffer != nullptr ? *processBuffer : fallbackBuffer();
}

} // namespace

ConsoleStreamBuf::ConsoleStreamBuf() {
    setp(nullptr, nullptr); // unbuffered: every character reaches overflow or xsputn
    if (!creatingFallback) {
        processBuffer = this;
    }
}

ConsoleStreamBuf::~ConsoleStreamBuf() {
    if (processBuffer == this) {
        processBuffer = nullptr;
        if (theConsole != nullptr && theConsole->rdbuf() == this) {
            theConsole->rdbuf(&fallbackBuffer());
        }
    }
}

ConsoleStreamBuf::int_type ConsoleStreamBuf::overflow(int_type character) {
    if (traits_type::eq_int_type(character, traits_type::eof())) {
        return character;
    }
    char single = traits_type::to_char_type(character);
    xsputn(&single, 1);
    return character;
}

std::streamsize ConsoleStreamBuf::xsputn(const char* text, std::streamsize length) {
    if (length <= 0) {
        return 0;
    }
    // A piece of more than one character ends at a NUL, as it always has on this console.
    std::size_t count = static_cast<std::size_t>(length);
    if (const void* nul = length > 1 ? std::memchr(text, '\0', count) : nullptr) {
        count = static_cast<std::size_t>(static_cast<const char*>(nul) - text);
    }
    std::fwrite(text, 1, count, stdout);
    return length;
}

// Text waits in the C runtime's buffer until the stream is flushed (std::endl, std::flush),
// so that a line reaches the console in one write rather than one per piece. A failed
// write leaves the stream usable, as it always has: the run goes on without its output.
int ConsoleStreamBuf::sync() {
    std::fflush(stdout);
    return 0;
}

Console::Console(ConsoleStreamBuf* buffer) : std::basic_iostream<char, std::char_traits<char>>(buffer) {}

Console::~Console() = default;

void Console::promptForKey() {
    CriticalSection::Lock lock(locks_.prompt);
    *this << loadMessage(msg::PressAnyKey);
    flush();
}

Console& console() {
    if (theConsole == nullptr) {
        theConsole = new Console(&currentBuffer());
    }
    return *theConsole;
}

bool consoleExists() {
    return theConsole != nullptr;
}

void deleteConsole() {
    Console* doomed = theConsole;
    theConsole = nullptr;
    delete doomed;
}

void exitEarly(int code) {
    deleteConsole();
    std::exit(code);
}

} // namespace ovs
