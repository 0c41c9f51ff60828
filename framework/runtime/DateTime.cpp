// Moments with a zone offset: checks, UTC and local forms, text form, and the start-up
// initialiser.
#include "runtime/DateTime.h"
#include "MessageNumbers.h"
#include "runtime/FileTimes.h"
#include "platform/CRuntimeTime.h"
#include "runtime/Exception.h"
#include "strings/NumberText.h"

#include <ctime>

namespace {

constexpr std::int64_t ticksPerSecond = 10000000;
constexpr std::int64_t ticksPerMinute = 60 * ticksPerSecond;

std::int64_t computeEpoch2000() {
    std::tm fields{};
    fields.tm_year = 100;
    fields.tm_mday = 1;
    fields.tm_isdst = 0;
    long zone = 0;
    if (ovs::platform::getTimezone(&zone) != 0) {
        zone = 0;
    }
    return static_cast<std::int64_t>(std::mktime(&fields)) - zone;
}

const std::int64_t epoch2000Value = computeEpoch2000();

// 60 when the moment falls into daylight time, else 0.
std::int32_t daylightMinutes(std::time_t moment) {
    std::tm fields{};
    return localtime_s(&fields, &moment) == 0 && fields.tm_isdst > 0 ? 60 : 0;
}

// The day of the week (0 = Sunday) of a valid calendar date; throws for any other date.
WORD checkedWeekday(unsigned year, unsigned month, unsigned day) {
    std::tm fields{};
    fields.tm_year = static_cast<int>(year) - 1900;
    fields.tm_mon = static_cast<int>(month) - 1;
    fields.tm_mday = static_cast<int>(day);
    fields.tm_hour = 12;
    fields.tm_isdst = -1;
    std::mktime(&fields);
    if (fields.tm_year != static_cast<int>(year) - 1900 || fields.tm_mon != static_cast<int>(month) - 1 ||
        fields.tm_mday != static_cast<int>(day)) {
        throw ovs::Exception(ovs::msg::InvalidDateTime,
                             std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day));
    }
    return static_cast<WORD>(fields.tm_wday);
}

void checkTime(unsigned hour, unsigned minute, unsigned second, unsigned millisecond) {
    if (hour >= 24 || minute >= 60 || second >= 60 || millisecond > 999) {
        throw ovs::Exception(ovs::msg::InvalidDateTime,
                             std::to_string(hour) + ":" + ovs::decimalText(static_cast<std::int32_t>(minute), 2) + ":" +
                                 ovs::decimalText(static_cast<std::int32_t>(second), 2) + "." +
                                 ovs::decimalText(static_cast<std::int32_t>(millisecond), 3));
    }
}

const DateTime* startMomentPointer = nullptr;

} // namespace

DateTime::DateTime(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute, unsigned second,
                   unsigned millisecond, std::int32_t zoneOffset) {
    const WORD weekday = checkedWeekday(year, month, day);
    checkTime(hour, minute, second, millisecond);
    local_.wYear = static_cast<WORD>(year);
    local_.wMonth = static_cast<WORD>(month);
    local_.wDay = static_cast<WORD>(day);
    local_.wHour = static_cast<WORD>(hour);
    local_.wMinute = static_cast<WORD>(minute);
    local_.wSecond = static_cast<WORD>(second);
    local_.wMilliseconds = static_cast<WORD>(millisecond);
    local_.wDayOfWeek = weekday;
    localValid_ = true;
    zoneOffset_ = zoneOffset == LocalZone ? offsetOfMoment() : zoneOffset;
}

DateTime DateTime::now() {
    DateTime moment;
    GetSystemTime(&moment.local_);
    moment.localValid_ = true;
    moment.zoneOffset_ = 0;
    moment.utc();
    moment.localValid_ = false;
    moment.zoneOffset_ = moment.offsetOfMoment();
    return moment;
}

std::int64_t DateTime::epoch2000() {
    return epoch2000Value;
}

std::int32_t DateTime::localBaseOffset() {
    static const std::int32_t offset = [] {
        TIME_ZONE_INFORMATION zone{};
        DWORD result = GetTimeZoneInformation(&zone);
        return result >= 3 ? 0 : static_cast<std::int32_t>(-zone.Bias);
    }();
    return offset;
}

std::int32_t DateTime::offsetOfMoment() const {
    std::int32_t offset = localBaseOffset();
    if (localValid_) {
        std::tm fields{};
        fields.tm_year = local_.wYear - 1900;
        fields.tm_mon = local_.wMonth - 1;
        fields.tm_mday = local_.wDay;
        fields.tm_hour = local_.wHour;
        fields.tm_min = local_.wMinute;
        fields.tm_sec = local_.wSecond;
        fields.tm_isdst = -1;
        offset += daylightMinutes(std::mktime(&fields));
    } else if (utcValid_) {
        // Moments are looked up as file times count them: unsigned 32-bit seconds since 2000.
        FILETIME fileTime;
        fileTime.dwLowDateTime = static_cast<DWORD>(utc_);
        fileTime.dwHighDateTime = static_cast<DWORD>(utc_ >> 32);
        std::int64_t since2000 = ovs::secondsSince2000(fileTime);
        offset += daylightMinutes(static_cast<std::time_t>(since2000 + epoch2000()));
    }
    return offset;
}

std::int32_t DateTime::zoneOffset() const {
    return zoneOffset_;
}

FILETIME DateTime::utc() const {
    if (!utcValid_) {
        if (!localValid_) {
            throw ovs::Exception(ovs::msg::InvalidDateTime, "not set");
        }
        FILETIME fileTime{};
        if (!SystemTimeToFileTime(&local_, &fileTime)) {
            throw ovs::Exception(ovs::msg::InvalidDateTime, text());
        }
        std::int64_t ticks = static_cast<std::int64_t>((static_cast<std::uint64_t>(fileTime.dwHighDateTime) << 32) |
                                                       fileTime.dwLowDateTime);
        utc_ = static_cast<std::uint64_t>(ticks - zoneOffset_ * ticksPerMinute);
        utcValid_ = true;
    }
    FILETIME result;
    result.dwLowDateTime = static_cast<DWORD>(utc_);
    result.dwHighDateTime = static_cast<DWORD>(utc_ >> 32);
    return result;
}

SYSTEMTIME DateTime::local() const {
    if (!localValid_) {
        if (!utcValid_) {
            throw ovs::Exception(ovs::msg::InvalidDateTime, "not set");
        }
        std::uint64_t ticks =
            static_cast<std::uint64_t>(static_cast<std::int64_t>(utc_) + zoneOffset_ * ticksPerMinute);
        FILETIME fileTime;
        fileTime.dwLowDateTime = static_cast<DWORD>(ticks);
        fileTime.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
        if (!FileTimeToSystemTime(&fileTime, &local_)) {
            throw ovs::Exception(ovs::msg::InvalidDateTime, "conversion fail");
        }
        localValid_ = true;
    }
    return local_;
}

ovs::StringBase<char> DateTime::text(bool iso) const {
    SYSTEMTIME fields = local();
    return ovs::decimalText(fields.wYear, 4) + "-" + ovs::decimalText(fields.wMonth, 2) + "-" +
           ovs::decimalText(fields.wDay, 2) + (iso ? "T" : " ") + ovs::decimalText(fields.wHour, 2) + ":" +
           ovs::decimalText(fields.wMinute, 2) + ":" + ovs::decimalText(fields.wSecond, 2);
}

DateTimeInit::DateTimeInit()
    : localReference_(std::make_unique<DateTime>(2000, 1, 1)), start_(std::make_unique<DateTime>(DateTime::now())) {
    startMomentPointer = start_.get();
}

DateTimeInit::~DateTimeInit() {
    if (startMomentPointer == start_.get()) {
        startMomentPointer = nullptr;
    }
}

const DateTime* DateTimeInit::startMoment() {
    return startMomentPointer;
}
