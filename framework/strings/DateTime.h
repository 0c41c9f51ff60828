// A moment with a UTC form (Windows file time), a local form (calendar fields) and a
// time-zone offset in minutes east of UTC; its one text form is "YYYY-MM-DD hh:mm:ss".
#pragma once
#include "platform/Win32.h"
#include "strings/StringBase.h"

#include <cstdint>

class DateTime {
public:
    static constexpr std::int32_t LocalZone = -999;

    // Checks the fields; raises ovs::Exception 1313 "Invalid date/time: %1" when they are wrong.
    DateTime(unsigned year, unsigned month, unsigned day, unsigned hour = 0, unsigned minute = 0,
             unsigned second = 0, unsigned millisecond = 0, std::int32_t zoneOffset = LocalZone);
    // The current moment in the local zone.
    static DateTime now();

    std::int32_t zoneOffset() const;
    FILETIME utc() const;
    SYSTEMTIME local() const;
    // "2021-02-17 09:05:03", or "2021-02-17T09:05:03" with iso set.
    ovs::StringBase<char> text(bool iso = false) const;

private:
    DateTime() = default;
    mutable bool utcValid_ = false;
    mutable bool localValid_ = false;
    std::int32_t zoneOffset_ = 0;
    mutable std::uint64_t utc_ = 0;
    mutable SYSTEMTIME local_{};
};
