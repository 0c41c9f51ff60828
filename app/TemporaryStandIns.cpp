// Stand-ins for classes that other parts of the tool provide; see TemporaryStandIns.h.
#include "TemporaryStandIns.h"

#include "runtime/Exception.h"

