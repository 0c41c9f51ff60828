// POSIX substitute: system time, file-time conversion, the time-zone record, and the two
// Microsoft C runtime time functions the date code uses.
#pragma once
#include "platform/posix/base/WinBase.h"

#include <ctime>

#define TIME_ZONE_ID_UNKNOWN 0
#define TIME_ZONE_ID_STANDARD 1
#define TIME_ZONE_ID_DAYLIGHT 2
#define TIME_ZONE_ID_INVALID ((DWORD)0xFFFFFFFF)

typedef struct _TIME_ZONE_INFORMATION {
    LONG Bias;
    WCHAR StandardName[32];
    SYSTEMTIME StandardDate;
    LONG StandardBias;
    WCHAR DaylightName[32];
    SYSTEMTIME DaylightDate;
    LONG DaylightBias;
} TIME_ZONE_INFORMATION, *PTIME_ZONE_INFORMATION, *LPTIME_ZONE_INFORMATION;

// The current UTC time.
void GetSystemTime(LPSYSTEMTIME systemTime);
// FALSE with ERROR_INVALID_PARAMETER for fields out of range (year 1601 to 30827).
BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime);
// FALSE with ERROR_INVALID_PARAMETER for values of 0x8000000000000000 and above.
BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime);
// The process's zone (TZ) as Windows describes it: Bias in minutes west of UTC, the
// daylight bias; TIME_ZONE_ID_UNKNOWN without daylight time, else STANDARD or DAYLIGHT
// for the present moment. Transition dates are not filled in.
DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION information);

// Microsoft C runtime: seconds west of UTC of the standard zone; 0 on success.
int _get_timezone(long* seconds);
// Microsoft C runtime argument order (result first); 0 on success, EINVAL otherwise.
int localtime_s(struct tm* result, const time_t* time);
