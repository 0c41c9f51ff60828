// File times of the framework: unsigned 32-bit counts of seconds since 2000-01-01 00:00:00 UTC,
// converted from and to Windows file times (100-nanosecond units since 1601-01-01).
#pragma once
#include "platform/Win32.h"

#include <cstdint>

namespace ovs {

// Seconds from 1970-01-01 to 2000-01-01 00:00:00 UTC.
constexpr std::int64_t secondsFrom1970To2000 = 946684800;
// What a time before 2000 or beyond the 32-bit range becomes.
constexpr std::uint32_t fileTimeOutOfRange = 0xFFFFFFFEu;

// Whole seconds (rounded down) since 2000; out of range gives fileTimeOutOfRange.
std::uint32_t secondsSince2000(const FILETIME& time);
// The other way, without a check.
FILETIME fileTimeOfSecondsSince2000(std::uint32_t seconds);

} // namespace ovs
