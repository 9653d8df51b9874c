#include "platform/zoned_clock.h"

#include <time.h>

namespace qm {
namespace platform {

void GetCurrentTimeWithOffset(bool localTime, CalendarTime* out, int* offsetMinutes) {
    if (out == nullptr) return;
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    const time_t seconds = now.tv_sec;
    tm parts{};
    if (localTime) {
        localtime_r(&seconds, &parts);
    } else {
        gmtime_r(&seconds, &parts);
    }
    out->year = parts.tm_year + 1900;
    out->month = parts.tm_mon + 1;
    out->day = parts.tm_mday;
    out->hour = parts.tm_hour;
    out->minute = parts.tm_min;
    out->second = parts.tm_sec;
    out->millisecond = static_cast<int>(now.tv_nsec / 1000000L);
    out->dayOfWeek = parts.tm_wday;
    out->dayOfYear = parts.tm_yday;
    if (offsetMinutes != nullptr) {
        *offsetMinutes = localTime ? static_cast<int>(parts.tm_gmtoff / 60) : 0;
    }
}

}  // namespace platform
}  // namespace qm
