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

#include "Acrobat.h"
#include "RequestTask.h"
#include "Task.h"

#include "FraskPdfTreeScan.h"
#include "TaskDeleter.h"
