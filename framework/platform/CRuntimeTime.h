// C runtime time pieces that differ between the runtimes we build with: the date code calls
// them here instead of testing the platform. localtime_s (Microsoft argument order) is
// available on both sides through Win32.h.
#pragma once

namespace ovs::platform {

// The C runtime's time-zone offset in seconds west of UTC (as _get_timezone gives it);
// returns 0 on success, an error number otherwise.
int getTimezone(long* seconds);

} // namespace ovs::platform
