// Wall clock with milliseconds, local or UTC.
#pragma once

namespace qm {
namespace platform {

struct CalendarTime {
    int year;         // e.g. 2009
    int month;        // 1-12
    int day;          // 1-31
    int hour;
    int minute;
    int second;
    int millisecond;
    int dayOfWeek;    // 0 = Sunday
    int dayOfYear;    // 0-365
};

void GetCurrentTime(bool localTime, CalendarTime* out);
// Seconds since 1970-01-01 UTC.
long long SecondsSinceEpoch();

}  // namespace platform
}  // namespace qm
