// A process named by its image file name: found in a process snapshot (by file name only,
// whatever the folder and the case, never this program itself), asked whether it runs,
// terminated, or launched through the shell. Nothing here throws.
#pragma once
#include "strings/FileString.h"
#include "process/ProcessApi.h"

#include <cstdint>

namespace ovs {

class Process {
public:
    static constexpr std::uint32_t unknownId = 0xFFFFFFFF;

    // name: a bare image name ("Acrobat.exe") or the full path of an executable. Takes one
    // reference on the shared process-function table; the process id is not known yet.
    explicit Process(const FileString& name);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Looks for the first process in snapshot order whose image file name equals the file
    // name of this object's name without regard to case, skipping this program; stores its
    // id. False when none runs, the name is empty or the process functions are missing.
    bool find();
    // With an unknown id: find(). Otherwise whether that process is still active (this
    // program always is); a process that cannot be opened for querying counts as ended.
    bool isRunning();
    // Terminates the process (found first when the id is unknown) with exit code 0, without
    // waiting; true when TerminateProcess succeeded.
    bool terminate();
    // Starts the named executable through the shell with the parameters (none when empty)
    // in folder (when empty: the executable's own folder). False when the name is not an
    // existing file or the shell fails. The id becomes the new process's when GetProcessId
    // is available, else stays unknown.
    bool launch(const std::string& parameters, const std::string& folder);

    const FileString& name() const { return name_; }
    std::uint32_t id() const { return processId_; }

    // The object of the running program (its id and its own file path), made on first use.
    static Process& current();

private:
    FileString name_;
    std::uint32_t processId_ = unknownId;
    ProcessApi* api_;
};

} // namespace ovs
