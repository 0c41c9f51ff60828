// The writing side of the task-file exchange: a request for the Veilgard PDF plug-in is one
// new task file in the task folder, with the header, section Task in State Request and the
// command line's options in section Parameter.
#pragma once
#include "Task.h"
#include "parsing/OptionDesc.h"
#include "platform/GuardedFiles.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The options given on the command line, by name in plain byte-wise order, as the request
// hands them to the plug-in.
using ParameterMap = std::map<std::string, OptionValue>;

class RequestTask : public Task {
public:
    // The tool passes an empty path: the task file is named by createTaskFile.
    explicit RequestTask(const ovs::FileString& path);
    ~RequestTask() override;

    // Creates the task file with its Task section and writes the parameters; returns the id.
    // Throws 1000 "Couldn't create a Task file. ..." when 10001 names in a row are taken,
    // 1000 "Unkown type" for a value of a kind the plug-in does not know, 3004 for a value
    // that holds a line break (before anything is written), and the errors of the control
    // file and its store (then no task file and no pending file is left behind).
    std::uint32_t submit(const ParameterMap& parameters);

    // The state as the plug-in reports it now. Throws the plug-in's LastError message (with
    // the task file's full path as %1) for State Error with a non-zero LastError, 3005 (with
    // that path) for a LastError that is present but no number, and 1000 "Unkown state in task
    // request file" for an unknown State; header errors pass on.
    TaskState pollState();
    // LastError of the task as the last readState found it, read strictly: a present entry
    // that is empty or no 32-bit number throws 3005; an absent one is read as lastError does.
    std::int32_t resultError();

    // The task folder joined with the task name of a freshly drawn id; id receives the id.
    // The first candidate of createTaskFile.
    ovs::FileString makeTaskFileName(std::uint32_t& id);
    // Picks a free name and writes the whole request (header, Task section and the parameters
    // writeParameters took) into a new pending file, through the handle that made it; returns
    // the id. Throws 3007 with the folder for a task folder whose entries other users may swap.
    std::uint32_t createTaskFile();
    // Takes every parameter, in key order, into the request's section Parameter.
    void writeParameters(const ParameterMap& parameters);
    // Moves the pending file to its task name without ever replacing a file; a name taken in
    // the meantime draws another id (the request is written anew, the retries count on).
    // Before the move the pending name, and after it the task name, must still be the file the
    // run made: else 3006 with that name, and the file found there is left alone. Returns the
    // id published.
    std::uint32_t publish(std::uint32_t id);

    // A task id from the C runtime's generator: r3 * (r1 * r2) - r4 modulo 10000, in unsigned
    // 32-bit arithmetic, r1 to r4 drawn in this order.
    static std::uint32_t drawTaskId();

private:
    // Marks the ids of the task files in the folder, from one listing.
    void listTakenIds(const ovs::FileString& folder);
    // The task name in the folder of the first id from the given one on that is not marked
    // taken, drawing again for a taken one; throws the creation error when the retries run out.
    ovs::FileString nextFreeName(const ovs::FileString& folder, std::uint32_t& id);
    // Writes the request with that id into a new pending file beside the task name.
    void writePending(std::uint32_t id);
    // Throws 3006 with the name unless it is the regular file of that identity.
    void refuseForeign(const ovs::FileString& name, const ovs::platform::FileIdentity& own);
    // The marker beside the task name that names this process, while it waits for the task.
    void placeMarker();
    void removeMarker();
    // Removes the pending file of a request that was not published, if it is still the run's.
    void discardPending();
    static void refuseLineBreaks(const ParameterMap& parameters);

    std::vector<bool> taken_;
    unsigned retries_ = 0;
    ovs::FileString taskName_;
    ovs::FileString pending_;
    ovs::platform::FileIdentity pendingIdentity_;
    std::vector<ovs::String> parameterLines_;
    ovs::FileString marker_;
    ovs::platform::FileIdentity markerIdentity_;
};
