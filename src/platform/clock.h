// Wall clock with milliseconds, local or UTC.
#pragma once

namespace qm {
namespace platform {

struct CalendarTime {
    int year;   // e.g. 2009
    int month;  // 1-12
    int day;    // 1-31
    int hour;
    int minute;
    int second;
    int millisecond;
    int dayOfWeek;  // 0 = Sunday
    int dayOfYear;  // 0-365
};

void GetCurrentTime(bool localTime, CalendarTime* out);
// The real-time clock as whole seconds since 1970-01-01 UTC and the
// milliseconds into that second; never enters the kernel where the system
// offers a user-space clock.
void ReadRealTime(long long* seconds, int* millisecond);
// The calendar time of a whole second since 1970-01-01 UTC, local or UTC
// (millisecond 0), and when asked the zone's offset east of UTC in minutes
// (0 for UTC), for time stamps that must say their zone. Local time takes
// the same fork-safe path as GetCurrentTime.
void CalendarTimeAt(long long seconds, bool localTime, CalendarTime* out, int* offsetMinutes = nullptr);
// Seconds since 1970-01-01 UTC.
long long SecondsSinceEpoch();
// Milliseconds of a clock that never goes back (for deadlines); its start is
// unspecified.
long long MonotonicMilliseconds();

}  // namespace platform
}  // namespace qm
