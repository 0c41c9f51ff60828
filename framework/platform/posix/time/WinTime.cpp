// POSIX substitute: time functions over the C library's clock and zone data.
#include "platform/posix/time/WinTime.h"
#include "platform/CRuntimeTime.h"

#include <cerrno>
#include <cstring>
#include <time.h>

namespace {

constexpr std::uint64_t ticksPerSecond = 10000000;
constexpr std::uint64_t ticksPerDay = ticksPerSecond * 86400;
// Days from 1601-01-01 to 1970-01-01.
constexpr std::int64_t days1601To1970 = 134774;

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

void civilFromDays(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned mp = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2);
}

bool isLeap(unsigned year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

unsigned daysInMonth(unsigned year, unsigned month) {
    static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : days[month - 1];
}

void fileTimeToFields(std::uint64_t ticks, SYSTEMTIME& fields) {
    std::int64_t days = static_cast<std::int64_t>(ticks / ticksPerDay);
    std::uint64_t rest = ticks % ticksPerDay;
    std::int64_t year;
    unsigned month;
    unsigned day;
    civilFromDays(days - days1601To1970, year, month, day);
    fields.wYear = static_cast<WORD>(year);
    fields.wMonth = static_cast<WORD>(month);
    fields.wDay = static_cast<WORD>(day);
    fields.wDayOfWeek = static_cast<WORD>((days + 1) % 7); // 1601-01-01 was a Monday
    fields.wHour = static_cast<WORD>(rest / (ticksPerSecond * 3600));
    fields.wMinute = static_cast<WORD>(rest / (ticksPerSecond * 60) % 60);
    fields.wSecond = static_cast<WORD>(rest / ticksPerSecond % 60);
    fields.wMilliseconds = static_cast<WORD>(rest / 10000 % 1000);
}

long gmtOffsetAt(int year, int month) {
    struct tm fields {};
    fields.tm_year = year - 1900;
    fields.tm_mon = month;
    fields.tm_mday = 1;
    fields.tm_hour = 12;
    fields.tm_isdst = -1;
    time_t moment = mktime(&fields);
    struct tm local {};
    localtime_r(&moment, &local);
    return local.tm_gmtoff;
}

} // namespace

void GetSystemTime(LPSYSTEMTIME systemTime) {
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    std::uint64_t ticks = static_cast<std::uint64_t>(now.tv_sec + days1601To1970 * 86400) * ticksPerSecond +
                          static_cast<std::uint64_t>(now.tv_nsec / 100);
    fileTimeToFields(ticks, *systemTime);
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime) {
    const SYSTEMTIME& t = *systemTime;
    if (t.wYear < 1601 || t.wYear > 30827 || t.wMonth < 1 || t.wMonth > 12 || t.wDay < 1 ||
        t.wDay > daysInMonth(t.wYear, t.wMonth) || t.wHour > 23 || t.wMinute > 59 || t.wSecond > 59 ||
        t.wMilliseconds > 999) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::int64_t days = daysFromCivil(t.wYear, t.wMonth, t.wDay) + days1601To1970;
    std::uint64_t ticks = static_cast<std::uint64_t>(days) * ticksPerDay +
                          (((t.wHour * 60ull + t.wMinute) * 60 + t.wSecond) * 1000 + t.wMilliseconds) * 10000;
    fileTime->dwLowDateTime = static_cast<DWORD>(ticks);
    fileTime->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime) {
    std::uint64_t ticks = (static_cast<std::uint64_t>(fileTime->dwHighDateTime) << 32) | fileTime->dwLowDateTime;
    if (ticks >= 0x8000000000000000ull) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    fileTimeToFields(ticks, *systemTime);
    return TRUE;
}

DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION information) {
    std::memset(information, 0, sizeof(*information));
    tzset();
    time_t now = time(nullptr);
    struct tm current {};
    localtime_r(&now, &current);
    int year = current.tm_year + 1900;
    long january = gmtOffsetAt(year, 0);
    long july = gmtOffsetAt(year, 6);
    long standard = january < july ? january : july;
    long daylight = january < july ? july : january;
    information->Bias = static_cast<LONG>(-standard / 60);
    const char* names[2] = {tzname[0], tzname[1]};
    for (int i = 0; i < 2; ++i) {
        WCHAR* target = i == 0 ? information->StandardName : information->DaylightName;
        for (int k = 0; names[i] != nullptr && names[i][k] != '\0' && k < 31; ++k) {
            target[k] = static_cast<WCHAR>(static_cast<unsigned char>(names[i][k]));
        }
    }
    if (standard == daylight) {
        return TIME_ZONE_ID_UNKNOWN;
    }
    information->DaylightBias = static_cast<LONG>(-(daylight - standard) / 60);
    return current.tm_isdst > 0 ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

int _get_timezone(long* seconds) {
    if (seconds == nullptr) {
        return EINVAL;
    }
    tzset();
    *seconds = timezone;
    return 0;
}

int localtime_s(struct tm* result, const time_t* time) {
    if (result == nullptr || time == nullptr) {
        return EINVAL;
    }
    if (localtime_r(time, result) == nullptr) {
        // The Microsoft runtime marks every field invalid.
        *result = tm{};
        result->tm_sec = result->tm_min = result->tm_hour = result->tm_mday = -1;
        result->tm_mon = result->tm_year = result->tm_wday = result->tm_yday = result->tm_isdst = -1;
        return EINVAL;
    }
    return 0;
}

namespace ovs::platform {

int getTimezone(long* seconds) {
    return _get_timezone(seconds);
}

} // namespace ovs::platform
