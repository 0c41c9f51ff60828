// Date checks, forms and text of DateTime, and the file times in seconds since 2000.
#include "runtime/DateTime.h"
#include "Conformance.h"
#include "MessageNumbers.h"
#include "RuntimeTestSupport.h"
#include "runtime/Exception.h"
#include "runtime/FileTimes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

using ovs::test::ticksOf;

TEST(DateTime, RefusesInvalidFieldsWithTheirText) {
    const struct {
        unsigned year, month, day, hour, minute, second, millisecond;
        const char* argument;
    } cases[] = {
        {2021, 2, 29, 0, 0, 0, 0, "2021-2-29"},      {2021, 13, 1, 0, 0, 0, 0, "2021-13-1"},
        {2021, 4, 31, 0, 0, 0, 0, "2021-4-31"},      {2021, 1, 0, 0, 0, 0, 0, "2021-1-0"},
        {2021, 1, 1, 24, 0, 0, 0, "24:00:00.000"},   {2021, 1, 1, 7, 60, 5, 0, "7:60:05.000"},
        {2021, 1, 1, 23, 59, 60, 0, "23:59:60.000"}, {2021, 1, 1, 0, 0, 0, 1000, "0:00:00.1000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.argument);
        EXPECT_EQ(c.argument, ovs::test::expectException(ovs::msg::InvalidDateTime, [&] {
                                  DateTime(c.year, c.month, c.day, c.hour, c.minute, c.second, c.millisecond, 0);
                              }).argument(1));
    }
}

TEST(DateTime, AcceptsValidFieldsAndGivesTextAndUtcForms) {
    EXPECT_NO_THROW(DateTime(2020, 2, 29, 0, 0, 0, 0, 0));
    EXPECT_NO_THROW(DateTime(2000, 12, 31, 23, 59, 59, 999, 0));
    DateTime plusOne(2021, 2, 17, 9, 5, 3, 0, 60);
    EXPECT_EQ("2021-02-17 09:05:03", plusOne.text());
    EXPECT_EQ("2021-02-17T09:05:03", plusOne.text(true));
    EXPECT_EQ("2021-02-17 07:05:09", DateTime(2021, 2, 17, 7, 5, 9, 5, 0).text());
    EXPECT_EQ(946684800, DateTime::epoch2000());
    // The UTC form subtracts the zone offset.
    DateTime utc(2021, 2, 17, 8, 5, 3, 0, 0);
    EXPECT_EQ(ticksOf(utc.utc()), ticksOf(plusOne.utc()));
    EXPECT_EQ(60, plusOne.zoneOffset());
    // 2021-02-17 08:05:03 UTC in 100 ns units since 1601.
    EXPECT_EQ(132580227030000000ull, ticksOf(utc.utc()));
}

TEST(DateTime, LocalZoneOffsetFollowsTheSystemZone) {
    TIME_ZONE_INFORMATION zone{};
    DWORD kind = GetTimeZoneInformation(&zone);
    ASSERT_NE(TIME_ZONE_ID_INVALID, kind);
    EXPECT_EQ(-zone.Bias, DateTime::localBaseOffset());
    // January is summer south of the equator: whether a month has daylight time is the
    // system's, asked through the C runtime.
    for (int month : {1, 7}) {
        std::tm fields{};
        fields.tm_year = 121;
        fields.tm_mon = month - 1;
        fields.tm_mday = 15;
        fields.tm_hour = 12;
        fields.tm_isdst = -1;
        ASSERT_NE(std::time_t(-1), std::mktime(&fields));
        DateTime moment(2021, static_cast<unsigned>(month), 15, 12, 0, 0, 0);
        EXPECT_EQ(-zone.Bias + (fields.tm_isdst > 0 ? 60 : 0), moment.zoneOffset()) << "month " << month;
    }
}

// Now, from GetSystemTime, is the C runtime's clock (on every target, the substitute's too).
TEST(DateTime, NowIsTheSystemClock) {
    const std::int64_t crt = std::time(nullptr);
    DateTime now = DateTime::now();
    const std::int64_t seconds = static_cast<std::int64_t>((ticksOf(now.utc()) - 116444736000000000ull) / 10000000ull);
    EXPECT_LE(std::abs(seconds - crt), 2);
    EXPECT_EQ(19u, now.text().size());
}

TEST(FileTimes, SecondsSince2000SaturateAndComeBack) {
    const ULONGLONG at2000 = (946684800ULL + 11644473600ULL) * 10000000ULL, second = 10000000ULL;
    // clang-format off
    const std::pair<ULONGLONG, std::uint32_t> cases[] = {
        {at2000, 0},               {at2000 + 9999999, 0}, {at2000 + second, 1}, {at2000 - 1, 0xFFFFFFFEu},
        {0, 0xFFFFFFFEu},          {at2000 + 4294967293ULL * second, 4294967293u},
        {at2000 + 4294967294ULL * second, 0xFFFFFFFEu}, {at2000 + 4294967295ULL * second, 0xFFFFFFFEu}};
    // clang-format on
    for (const auto& [units, seconds] : cases) {
        FILETIME time{static_cast<DWORD>(units & 0xFFFFFFFFu), static_cast<DWORD>(units >> 32)};
        EXPECT_EQ(seconds, ovs::secondsSince2000(time)) << units;
    }
    EXPECT_EQ(at2000 + second, ticksOf(ovs::fileTimeOfSecondsSince2000(1)));
}

} // namespace
