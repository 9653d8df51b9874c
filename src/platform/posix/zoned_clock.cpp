#include "platform/zoned_clock.h"

#include <time.h>

namespace qm {
namespace platform {

void GetEpochTime(long long* seconds, int* millisecond) {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    if (seconds != nullptr) *seconds = static_cast<long long>(now.tv_sec);
    if (millisecond != nullptr) *millisecond = static_cast<int>(now.tv_nsec / 1000000L);
}

void BreakDownSecond(long long seconds, bool localTime, CalendarTime* out, int* offsetMinutes) {
    if (out == nullptr) return;
    const time_t when = static_cast<time_t>(seconds);
    tm parts{};
    if (localTime) {
        localtime_r(&when, &parts);
    } else {
        gmtime_r(&when, &parts);
    }
    out->year = parts.tm_year + 1900;
    out->month = parts.tm_mon + 1;
    out->day = parts.tm_mday;
    out->hour = parts.tm_hour;
    out->minute = parts.tm_min;
    out->second = parts.tm_sec;
    out->millisecond = 0;
    out->dayOfWeek = parts.tm_wday;
    out->dayOfYear = parts.tm_yday;
    if (offsetMinutes != nullptr) {
        *offsetMinutes = localTime ? static_cast<int>(parts.tm_gmtoff / 60) : 0;
    }
}

}  // namespace platform
}  // namespace qm
