// Stand-ins for the task-file exchange, the Acrobat control and the task-file cleanup, so
// that the run flow builds and runs before those classes exist. Each section goes away when
// its class lands: delete the section and include the class's own header in its place.
#pragma once
#include "files/FileScanSpec.h"
#include "files/FileString.h"
#include "parsing/OptionDesc.h"

#include <cstdint>
#include <map>
#include <string>

#include "RequestTask.h"
#include "Task.h"

// --- Temporary stand-in until Acrobat (app/Acrobat.h) lands ---

class Acrobat {
public:
    virtual ~Acrobat();
    // No Acrobat is ever found by the stand-in.
    bool isRunning();
    // The stand-in cannot start Acrobat: raises 3002.
    bool start();
    // Nothing to stop; then start (raises 3002).
    void restart();
};

#include "FraskPdfTreeScan.h"
#include "TaskDeleter.h"
