// The one binding the tool uses: the clear mode's scan over task files.
#include "FraskPdfTreeScan.h"
#include "TaskDeleter.h"

template class FraskPdfTreeScan<TaskDeleter>;
