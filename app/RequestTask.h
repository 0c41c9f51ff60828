// The writing side of the task-file exchange: a request for the Veilgard PDF plug-in is one
// new task file in the task folder, with the header, section Task in State Request and the
// command line's options in section Parameter.
#pragma once
#include "Task.h"
#include "parsing/OptionDesc.h"

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
    // LastError of a task in Error, read strictly: 3003 when the file cannot be opened, 0 for
    // "0"; a present entry that is empty or no 32-bit number throws 3005.
    std::int32_t resultError();

    // The task folder joined with the task name of a freshly drawn id; id receives the id.
    // The first candidate of createTaskFile.
    ovs::FileString makeTaskFileName(std::uint32_t& id);
    // Picks a free name and writes the header and the Task section into a pending file that
    // submit completes and publishes under the task name; returns the id.
    std::uint32_t createTaskFile();
    // Writes every parameter into the current topic, in key order.
    void writeParameters(const ParameterMap& parameters);
    // Moves the file that createTaskFile started to its task name without ever replacing a
    // file; a name taken in the meantime draws another id (Id is rewritten, the retries count
    // on). Returns the id published.
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
    void writeTaskSection(std::uint32_t id);
    // Removes the pending file of a request that was not published.
    void discardPending();
    static void refuseLineBreaks(const ParameterMap& parameters);

    std::vector<bool> taken_;
    unsigned retries_ = 0;
    ovs::FileString taskName_;
    ovs::FileString pending_;
};
