// File times of the framework: unsigned 32-bit counts of seconds since 2000-01-01 00:00:00 UTC,
// converted from and to Windows file times (100-nanosecond units since 1601-01-01). The 2000
// epoch is the one of the date code (DateTime::epoch2000).
#pragma once
#include "platform/Win32.h"

#include <cstdint>

namespace ovs {

// What a time before 2000 or beyond the 32-bit range becomes.
constexpr std::uint32_t fileTimeOutOfRange = 0xFFFFFFFEu;

// Whole seconds (rounded down) since 2000; out of range gives fileTimeOutOfRange.
std::uint32_t secondsSince2000(const FILETIME& time);
// The other way, without a check.
FILETIME fileTimeOfSecondsSince2000(std::uint32_t seconds);

} // namespace ovs
