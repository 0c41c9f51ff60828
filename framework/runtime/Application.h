// The application base: the process run (initialise, run, finish), exceptions turned into
// console messages and exit codes, and the shutdown order.
#pragma once
#include "runtime/Exception.h"
#include "runtime/StartUp.h"

#include <exception>

namespace ovs {

class Application : public StartUp {
public:
    // Becomes the current application object.
    Application(const std::string& messagePrefix, const std::string& applicationName);
    // The shutdown: initialisers' clean-up last to first, singletons last to first, the
    // console, the registered shutdown releases, then the start-up object.
    ~Application() override;

    // A copy of the absolute program path (always with an extension ".exe").
    FileString programPath() const override;
    // Runs every registered ovs::AutoInitBase in registration order; true.
    bool initialise() override;
    // true.
    bool finish() override;
    // The exit code of a normal run.
    virtual int run() = 0;
    // Hooks for derived applications; the base answers true, 1, false and does nothing.
    virtual bool acceptArgument(const StringBase<char>& argument);
    virtual int onSignal(int signal);
    // Writes text 55376 after a cleared line for number 11; ends the process with the
    // exception's number as exit code.
    [[noreturn]] virtual void onAbort(const AbortException& exception);
    // Writes the exception's message and a line end to the console; returns its number.
    virtual int printException(const Exception& exception);
    // Abort exceptions go to onAbort, other framework exceptions to printException (whose
    // result is returned); anything else is written as name, ": " and what(); returns 3.
    virtual int handleException(const std::exception& exception);
    virtual bool isInteractive();
    virtual void onIdle();

    // The current application object, or null.
    static Application* current();

    // The arguments joined into one text (see joinArguments).
    const StringBase<char>& commandLine() const;
    // Takes argument 0 as program path and joins the rest as command line.
    void setArguments(int argc, const char* const* argv);
    // The main routine: arguments, initialise, run, finish. Returns the exit code; ends the
    // process with code 2 when finish fails. Exceptions pass on.
    int main(int argc, const char* const* argv);

    // Arguments 1 to argc - 1 joined by single blanks; one that is not empty, does not begin
    // with a double quote and holds a blank, tab or line feed is enclosed in double quotes.
    static StringBase<char> joinArguments(int argc, const char* const* argv);
    // The absolute form of argument 0, with ".exe" appended unless its extension is "exe"
    // in any case.
    static FileString programPathFrom(const char* argument0);

private:
    FileString programPath_;
    StringBase<char> commandLine_;
};

// The process entry: creates the application with create, points it at the program's own
// module, runs its main routine and deletes it. An escaping std::exception is handed to
// the application (exit code 3) or, without one, written as "Aborted: " and what() (exit
// code 1); both end the process at once.
int runProcess(Application* (*create)(), int argc, const char* const* argv);

} // namespace ovs
