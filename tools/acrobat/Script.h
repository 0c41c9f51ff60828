// What the plug-in stand-in is told to do, read once at start from OVS_ACROBAT_* variables.
#pragma once
#include <cstdint>
#include <string>

enum class Behaviour {
    Process,           // real work on the documents the task names
    NeverAccept,       // leave every task in Request
    Finish,            // Finished with the scripted document count, no work
    Abort,             // Error with LastError 0
    Fail,              // Error with the scripted LastError
    FailText,          // Error with the scripted LastError text as it stands (a broken plug-in)
    ExitWhileAccepted, // end the process right after writing Accepted
    InvalidState,      // write the scripted State text
    HeaderVersion2,    // rewrite the header's Version to 2.00, then finish
    Spoil,             // after Accepted, delete, truncate, overwrite with garbage or lock away the file
};

struct Script {
    Behaviour behaviour = Behaviour::Process;
    std::uint32_t lastError = 0;        // for Fail
    std::string lastErrorText;          // for FailText
    std::string stateText = "accepted"; // for InvalidState
    std::string spoiling = "delete";    // for Spoil: delete, truncate, garbage or unreadable
    std::uint32_t documents = 1;        // for Finish
    std::uint32_t acceptDelayMs = 0;
    std::uint32_t documentMs = 0;
    std::uint32_t settleMs = 300;      // how long a request must stay unchanged before it is taken
    std::uint32_t idleExitSeconds = 0; // 0: run until stopped
    std::string taskFolder;            // Windows form; empty: the user's task folder
    std::string stopFile;              // Windows form; the stand-in ends when this file appears
    std::string logFile;               // Windows form; one line appended per start
    std::string qpdf = "qpdf";         // the qpdf program the document work runs
};

// Reads the variables; an unknown behaviour text is reported on standard error and leaves
// the default (Process).
Script readScript();
