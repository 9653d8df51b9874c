// Calendar time with milliseconds from the real-time clock.
//
// fork(): the C library's time conversions take a process-wide lock of its
// own that a child cannot get back if another thread held it at the copy.
// UTC is therefore worked out here by arithmetic, without that lock, and
// local time is converted under our lock, which the fork handlers hold
// while the process is copied (so none of our threads is inside it then).
#include "platform/clock.h"

#include <pthread.h>
#include <time.h>

#include "platform/posix/fork_locks.h"

namespace qm {
namespace platform {

namespace {

pthread_mutex_t g_localTimeLock = PTHREAD_MUTEX_INITIALIZER;

// Proleptic Gregorian date of a day count since 1970-01-01 (which is day 0).
void CivilFromDays(long long days, int* year, int* month, int* day) {
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long monthIndex = (5 * dayOfYear + 2) / 153;
    *day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    *month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    *year = static_cast<int>(yearOfEra + era * 400 + (*month <= 2 ? 1 : 0));
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

void UtcFromSeconds(long long seconds, CalendarTime* out) {
    long long days = seconds / 86400;
    long long inDay = seconds % 86400;
    if (inDay < 0) {
        inDay += 86400;
        --days;
    }
    CivilFromDays(days, &out->year, &out->month, &out->day);
    out->hour = static_cast<int>(inDay / 3600);
    out->minute = static_cast<int>(inDay % 3600 / 60);
    out->second = static_cast<int>(inDay % 60);
    // 1970-01-01 was a Thursday.
    out->dayOfWeek = static_cast<int>(((days % 7) + 11) % 7);
    static const int kDaysBeforeMonth[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    out->dayOfYear =
        kDaysBeforeMonth[out->month - 1] + out->day - 1 + (out->month > 2 && IsLeapYear(out->year) ? 1 : 0);
}

// offsetSeconds, when given, receives the zone's offset east of UTC.
void LocalFromSeconds(time_t seconds, CalendarTime* out, long* offsetSeconds = nullptr) {
    tm parts{};
    pthread_mutex_lock(&g_localTimeLock);
    localtime_r(&seconds, &parts);
    pthread_mutex_unlock(&g_localTimeLock);
    out->year = parts.tm_year + 1900;
    out->month = parts.tm_mon + 1;
    out->day = parts.tm_mday;
    out->hour = parts.tm_hour;
    out->minute = parts.tm_min;
    out->second = parts.tm_sec;
    out->dayOfWeek = parts.tm_wday;
    out->dayOfYear = parts.tm_yday;
    if (offsetSeconds != nullptr) *offsetSeconds = parts.tm_gmtoff;
}

}  // namespace

void LockClockForFork() {
    pthread_mutex_lock(&g_localTimeLock);
}

void UnlockClockInParent() {
    pthread_mutex_unlock(&g_localTimeLock);
}

void ResetClockInChild() {
    pthread_mutex_init(&g_localTimeLock, nullptr);
}

void GetCurrentTime(bool localTime, CalendarTime* out) {
    if (out == nullptr) return;
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    if (localTime) {
        LocalFromSeconds(now.tv_sec, out);
    } else {
        UtcFromSeconds(static_cast<long long>(now.tv_sec), out);
    }
    out->millisecond = static_cast<int>(now.tv_nsec / 1000000L);
}

void ReadRealTime(long long* seconds, int* millisecond) {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    if (seconds != nullptr) *seconds = static_cast<long long>(now.tv_sec);
    if (millisecond != nullptr) *millisecond = static_cast<int>(now.tv_nsec / 1000000L);
}

void CalendarTimeAt(long long seconds, bool localTime, CalendarTime* out, int* offsetMinutes) {
    if (out == nullptr) return;
    long offset = 0;
    if (localTime) {
        LocalFromSeconds(static_cast<time_t>(seconds), out, &offset);
    } else {
        UtcFromSeconds(seconds, out);
    }
    out->millisecond = 0;
    if (offsetMinutes != nullptr) *offsetMinutes = static_cast<int>(offset / 60);
}

long long SecondsSinceEpoch() {
    // The coarse clock: whole seconds are all its callers need, and the file
    // output asks on every line. It lags the precise one by a tick at most.
    timespec now;
#if defined(CLOCK_REALTIME_COARSE)
    clock_gettime(CLOCK_REALTIME_COARSE, &now);
#else
    clock_gettime(CLOCK_REALTIME, &now);
#endif
    return static_cast<long long>(now.tv_sec);
}

long long MonotonicMilliseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace platform
}  // namespace qm
