// C runtime time pieces on Windows. The MinGW import library of msvcrt lacks _get_timezone;
// the exported _timezone variable holds the same value once _tzset has run.
#include "platform/CRuntimeTime.h"

#include <time.h>

namespace ovs::platform {

int getTimezone(long* seconds) {
    if (seconds == nullptr) {
        return 22; // EINVAL, as _get_timezone answers
    }
    _tzset();
    *seconds = _timezone;
    return 0;
}

} // namespace ovs::platform
