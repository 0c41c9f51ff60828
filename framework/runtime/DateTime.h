// A moment with a UTC form (Windows file time), a local form (calendar fields) and a
// time-zone offset in minutes east of UTC; its one text form is "YYYY-MM-DD hh:mm:ss".
#pragma once
#include "platform/Win32.h"
#include "strings/StringBase.h"

#include <cstdint>
#include <memory>

class DateTime {
public:
    static constexpr std::int32_t LocalZone = -999;

    // Checks the fields; raises ovs::Exception 1313 "Invalid date/time: %1" when they are wrong.
    DateTime(unsigned year, unsigned month, unsigned day, unsigned hour = 0, unsigned minute = 0, unsigned second = 0,
             unsigned millisecond = 0, std::int32_t zoneOffset = LocalZone);
    // The current moment in the local zone.
    static DateTime now();

    // Minutes east of UTC of this moment's zone, daylight time included.
    std::int32_t zoneOffset() const;
    // Both raise ovs::Exception 1313 when the form cannot be computed.
    FILETIME utc() const;
    SYSTEMTIME local() const;
    // "2021-02-17 09:05:03", or "2021-02-17T09:05:03" with iso set.
    ovs::StringBase<char> text(bool iso = false) const;

    // Seconds from 1970-01-01 to 2000-01-01 00:00:00 UTC as the C runtime sees them, fixed
    // during static initialisation; file times count from it.
    static std::int64_t epoch2000();
    // Minutes east of UTC of the local standard zone (minus GetTimeZoneInformation's Bias;
    // 0 when that fails), fixed on first use.
    static std::int32_t localBaseOffset();

private:
    DateTime() = default;
    std::int32_t offsetOfMoment() const;
    mutable bool utcValid_ = false;
    mutable bool localValid_ = false;
    std::int32_t zoneOffset_ = 0;
    mutable std::uint64_t utc_ = 0;
    mutable SYSTEMTIME local_{};
};

// Initialiser type run through ovs::AutoInit: one moment in the local zone and the moment
// the program started; the clean-up releases both.
class DateTimeInit {
public:
    DateTimeInit();
    ~DateTimeInit();

    // The moment of start while the initialiser lives, else null.
    static const DateTime* startMoment();

private:
    std::unique_ptr<DateTime> localReference_;
    std::unique_ptr<DateTime> start_;
};
