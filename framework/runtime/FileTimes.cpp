// Conversion between Windows file times and the framework's seconds since 2000.
#include "runtime/FileTimes.h"
#include "runtime/DateTime.h"

namespace ovs {

namespace {
constexpr std::int64_t unitsPerSecond = 10000000;
constexpr std::int64_t secondsFrom1601To1970 = 11644473600LL;
} // namespace

std::uint32_t secondsSince2000(const FILETIME& time) {
    std::uint64_t units = (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    std::int64_t since1970 = static_cast<std::int64_t>(units / unitsPerSecond) - secondsFrom1601To1970;
    std::int64_t since2000 = since1970 - DateTime::epoch2000();
    if (since2000 < 0 || since2000 > static_cast<std::int64_t>(fileTimeOutOfRange)) {
        return fileTimeOutOfRange;
    }
    return static_cast<std::uint32_t>(since2000);
}

FILETIME fileTimeOfSecondsSince2000(std::uint32_t seconds) {
    std::uint64_t units =
        static_cast<std::uint64_t>(static_cast<std::int64_t>(seconds) + DateTime::epoch2000() + secondsFrom1601To1970) *
        unitsPerSecond;
    FILETIME result;
    result.dwLowDateTime = static_cast<DWORD>(units & 0xFFFFFFFFu);
    result.dwHighDateTime = static_cast<DWORD>(units >> 32);
    return result;
}

} // namespace ovs
