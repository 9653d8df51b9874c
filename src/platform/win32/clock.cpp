// Calendar time with milliseconds from the precise system clock. The tick
// clock behind GetLocalTime advances in steps of up to 16 ms, which would
// make the milliseconds of consecutive lines jump; the precise clock does not.
#include "platform/clock.h"

#include "platform/win32/windows_api.h"

namespace qm {
namespace platform {
namespace {

// 100-ns intervals between 1601-01-01 and 1970-01-01.
constexpr unsigned long long kEpochOffset = 116444736000000000ULL;
constexpr unsigned long long kIntervalsPerSecond = 10000000ULL;

unsigned long long AsNumber(const FILETIME& time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DayOfYear(int year, int month, int day) {
    static const int kDaysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    int days = kDaysBeforeMonth[month - 1] + day - 1;
    if (month > 2 && IsLeapYear(year)) ++days;
    return days;
}

FILETIME AsFileTime(unsigned long long intervals) {
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(intervals & 0xFFFFFFFFu);
    time.dwHighDateTime = static_cast<DWORD>(intervals >> 32);
    return time;
}

// The calendar fields of a moment, local or UTC, and the zone's offset in
// minutes. The current zone offset, daylight saving included, is the right
// one for the present moment, which is what time stamps are made of.
void BreakDown(const FILETIME& utc, bool localTime, CalendarTime* out, int* offsetMinutes) {
    FILETIME wanted = utc;
    if (localTime && !::FileTimeToLocalFileTime(&utc, &wanted)) wanted = utc;
    SYSTEMTIME parts{};
    ::FileTimeToSystemTime(&wanted, &parts);
    out->year = parts.wYear;
    out->month = parts.wMonth;
    out->day = parts.wDay;
    out->hour = parts.wHour;
    out->minute = parts.wMinute;
    out->second = parts.wSecond;
    out->millisecond = parts.wMilliseconds;
    out->dayOfWeek = parts.wDayOfWeek;
    out->dayOfYear = DayOfYear(parts.wYear, parts.wMonth, parts.wDay);
    if (offsetMinutes != nullptr) {
        // 600,000,000 intervals make a minute; zones are whole minutes.
        const long long difference =
            static_cast<long long>(AsNumber(wanted)) - static_cast<long long>(AsNumber(utc));
        *offsetMinutes = static_cast<int>(difference / 600000000LL);
    }
}

}  // namespace

void GetCurrentTime(bool localTime, CalendarTime* out) {
    if (out == nullptr) return;
    FILETIME now;
    ::GetSystemTimePreciseAsFileTime(&now);
    BreakDown(now, localTime, out, nullptr);
}

void ReadRealTime(long long* seconds, int* millisecond) {
    FILETIME now;
    ::GetSystemTimePreciseAsFileTime(&now);
    const unsigned long long since = AsNumber(now) - kEpochOffset;
    if (seconds != nullptr) *seconds = static_cast<long long>(since / kIntervalsPerSecond);
    if (millisecond != nullptr) *millisecond = static_cast<int>((since % kIntervalsPerSecond) / 10000);
}

void CalendarTimeAt(long long seconds, bool localTime, CalendarTime* out, int* offsetMinutes) {
    if (out == nullptr) return;
    const FILETIME utc = AsFileTime(static_cast<unsigned long long>(seconds) * kIntervalsPerSecond + kEpochOffset);
    BreakDown(utc, localTime, out, offsetMinutes);
    out->millisecond = 0;
}

long long SecondsSinceEpoch() {
    FILETIME now;
    ::GetSystemTimePreciseAsFileTime(&now);
    return static_cast<long long>((AsNumber(now) - kEpochOffset) / kIntervalsPerSecond);
}

long long MonotonicMilliseconds() {
    return static_cast<long long>(::GetTickCount64());
}

}  // namespace platform
}  // namespace qm
