// The tool's application: prints the banner, reads the command line into one of two option
// sets, then either clears old task files or hands one task to the plug-in inside Acrobat,
// waits for it and reports; every framework error becomes a message line and the exit code.
#pragma once
#include "Acrobat.h"
#include "RequestTask.h"
#include "Task.h"
#include "Version.h"
#include "parsing/OptionCommandParsing.h"
#include "platform/Win32.h"
#include "runtime/Application.h"

#include <cstdint>
#include <memory>
#include <string>

// What the run flow needs from outside the process: Acrobat, the task file and the task
// folder. The run flow reaches them only through this object, so that tests can script the
// task's states. It waits through ovs::platformCalls().sleep, and the task-file code beneath it
// writes the request and the marker, moves the request, opens the task folder's entries and
// removes the clear mode's files through that table as well, where a test puts a full disk, a
// refused delete or a vanished file (platform/PlatformCalls.h says what is not in it).
class RunEnvironment {
public:
    virtual ~RunEnvironment();
    // Acrobat::isRunning.
    virtual bool acrobatIsRunning(Acrobat& acrobat);
    // Acrobat::start; raises 3002 when Acrobat cannot be started.
    virtual void startAcrobat(Acrobat& acrobat);
    // Acrobat::restart; raises 3709 or 3002.
    virtual void restartAcrobat(Acrobat& acrobat);
    // RequestTask::submit; returns the task id.
    virtual std::uint32_t submitTask(RequestTask& request, const ParameterMap& parameters);
    // RequestTask::pollState; raises the plug-in's error for State "Error" with a LastError.
    virtual TaskState pollTask(RequestTask& request);
    // Task::processedDocuments (3003 when the task file cannot be opened).
    virtual std::int32_t processedDocuments(RequestTask& request);
    // Walks the task folder for the task files with a TaskDeleter of the mode (0 all, 1
    // finished), in mode 0 also for the unpublished requests of ended runs; throws
    // the file error of the first task file that could not be removed.
    virtual void deleteTaskFiles(std::uint32_t mode);
};

class ThisApp : public ovs::Application {
public:
    // Version data of the banner, from the project's version (Version.h).
    static constexpr int VersionMajor = OVS_VERSION_MAJOR;
    static constexpr int VersionMinor = OVS_VERSION_MINOR;
    static constexpr int VersionBuild = OVS_VERSION_BUILD;
    static constexpr int VersionLevel = OVS_VERSION_LEVEL;
    static constexpr int BuildYear = OVS_VERSION_YEAR;
    static constexpr int BuildMonth = OVS_VERSION_MONTH;
    static constexpr int BuildDay = OVS_VERSION_DAY;
    static constexpr int FirstYear = OVS_FIRST_YEAR;
    // Every wait of the run flow, in milliseconds.
    static constexpr DWORD PollInterval = 2000;

    ThisApp();
    ~ThisApp() override;

    // The base's initialisation; false (and no run) when it raises an ovs::Exception.
    bool initialise() override;
    bool finish() override;
    // Banner, argument rewrite, option set, parse, then clear mode or task mode. Returns the
    // exit code: 0, 1 (unknown clear value), 1000 (task not accepted) or the number of the
    // ovs::Exception that ended the run (its message line is printed).
    int run() override;

    // "ALL" deletes every task file, "FINISHED" the finished ones; returns 0, or 1 after
    // "Unkown option for clear:" for any other value.
    int clearTaskFiles(const std::string& value);
    // Submits one task and waits for it; returns 0, or 1000 when the plug-in did not accept it
    // within 15 polls. Raises 3000 when Acrobat does not run, and the task's errors.
    int processTask();
    // Restarts Acrobat when restartacrobatevery is given and the task processed at least that
    // many documents.
    // Polls the task every PollInterval until it leaves Request and Accepted, printing "." and
    // "!" and checking every AliveCheckPolls polls that Acrobat still runs (3000 otherwise);
    // state receives where it ended. False once the plug-in has not taken the task within
    // AcceptancePolls polls ("Task was not accepted").
    bool awaitOutcome(RequestTask& request, TaskState& state);
    void restartAcrobatIfDue(RequestTask& request);

    // Moves a double quote that stands before "-i:", "/i:", "-o:" or "/o:" behind the colon.
    static ovs::StringBase<char> rewriteArguments(const std::string& text);

    // Replaces the environment (tests); the default one uses the real world.
    void setEnvironment(std::unique_ptr<RunEnvironment> environment);
    // The parser of the latest run (null before the first).
    const OptionCommandParsing* parser() const { return parser_.get(); }

private:
    bool isPresent(const char* name) const;

    ovs::StringBase<char> arguments_; // the rewritten text; the parser reads it in place
    std::unique_ptr<OptionCommandParsing> parser_;
    std::unique_ptr<Acrobat> acrobat_;
    std::unique_ptr<RunEnvironment> environment_;
};
