// Time functions: file-time conversion, the zone record and the C runtime's local-time pieces.
// The system clock against the C runtime's is DateTime.NowIsTheSystemClock.
#include "Conformance.h"
#include "platform/CRuntimeTime.h"
#include "platform/PlatformInfo.h"
#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

using ovs::test::ticksOf;

std::string shown(const SYSTEMTIME& t) {
    return std::to_string(t.wYear) + "-" + std::to_string(t.wMonth) + "-" + std::to_string(t.wDay) + " " +
           std::to_string(t.wHour) + ":" + std::to_string(t.wMinute) + ":" + std::to_string(t.wSecond) + "." +
           std::to_string(t.wMilliseconds) + " weekday " + std::to_string(t.wDayOfWeek);
}

TEST(TimeConformance, SystemTimeToFileTimeKnownMomentsAndBack) {
    const struct {
        SYSTEMTIME fields;
        std::uint64_t ticks;
        WORD dayOfWeek; // filled in by the way back
    } cases[] = {{{1601, 1, 0, 1, 0, 0, 0, 0}, 0ull, 1},
                 {{1970, 1, 0, 1, 0, 0, 0, 0}, 116444736000000000ull, 4},
                 {{2000, 1, 0, 1, 0, 0, 0, 0}, 125911584000000000ull, 6},
                 {{2021, 2, 0, 17, 8, 5, 3, 0}, 132580227030000000ull, 3},
                 {{2020, 2, 0, 29, 23, 59, 59, 999}, 132274943999990000ull, 6}};
    for (const auto& c : cases) {
        FILETIME time{};
        ASSERT_TRUE(SystemTimeToFileTime(&c.fields, &time)) << shown(c.fields);
        EXPECT_EQ(c.ticks, ticksOf(time)) << shown(c.fields);
        SYSTEMTIME back{}, expected = c.fields;
        ASSERT_TRUE(FileTimeToSystemTime(&time, &back));
        expected.wDayOfWeek = c.dayOfWeek;
        EXPECT_EQ(shown(expected), shown(back));
    }
}

TEST(TimeConformance, InvalidFieldsAndTicksAreRefused) {
    const SYSTEMTIME invalid[] = {{2021, 2, 0, 29, 0, 0, 0, 0},  {2021, 13, 0, 1, 0, 0, 0, 0},
                                  {2021, 1, 0, 1, 24, 0, 0, 0},  {2021, 1, 0, 1, 0, 60, 0, 0},
                                  {1600, 12, 0, 31, 0, 0, 0, 0}, {2021, 1, 0, 1, 0, 0, 0, 1000}};
    for (const SYSTEMTIME& fields : invalid) {
        FILETIME time{};
        // Known Wine 8 deviation: February 29 of a common year is accepted (Windows refuses it).
        const bool wineAccepts = ovs::platform::isWine() && fields.wMonth == 2 && fields.wDay == 29;
        EXPECT_TRUE(wineAccepts || ovs::test::failsWith(FALSE, ERROR_INVALID_PARAMETER,
                                                        [&] { return SystemTimeToFileTime(&fields, &time); }))
            << shown(fields);
    }
    const FILETIME tooLarge{0, 0x80000000u};
    SYSTEMTIME fields{};
    EXPECT_FALSE(FileTimeToSystemTime(&tooLarge, &fields));
}

TEST(TimeConformance, ZoneRecordAgreesWithTheCRuntimeAndLocaltimeTakesTheResultFirst) {
    TIME_ZONE_INFORMATION zone{};
    EXPECT_LT(GetTimeZoneInformation(&zone), 3u);
    long seconds = -1;
    ASSERT_EQ(0, ovs::platform::getTimezone(&seconds));
    EXPECT_EQ(zone.Bias * 60L, seconds);

    const std::time_t moment = 946684800; // 2000-01-01 00:00:00 UTC
    std::tm fields{};
    ASSERT_EQ(0, localtime_s(&fields, &moment));
    // Midnight UTC seen in the local standard zone (January: no daylight time in the north).
    std::tm expected{};
    expected.tm_year = 100;
    expected.tm_mday = 1;
    expected.tm_sec = static_cast<int>(-seconds);
    std::mktime(&expected); // normalises the seconds into hours and days
    EXPECT_EQ(expected.tm_hour, fields.tm_hour);
    EXPECT_EQ(expected.tm_year, fields.tm_year);
}

} // namespace
