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

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DayOfYear(int year, int month, int day) {
    static const int kDaysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    int days = kDaysBeforeMonth[month - 1] + day - 1;
    if (month > 2 && IsLeapYear(year)) ++days;
    return days;
}

}  // namespace

namespace {

void FromFileTime(const FILETIME& now, bool localTime, CalendarTime* out) {
    // The current zone offset, daylight saving included, is the right one
    // for the present moment.
    FILETIME wanted = now;
    if (localTime && !::FileTimeToLocalFileTime(&now, &wanted)) wanted = now;
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
}

}  // namespace

void GetCurrentTime(bool localTime, CalendarTime* out) {
    if (out == nullptr) return;
    FILETIME now;
    ::GetSystemTimePreciseAsFileTime(&now);
    FromFileTime(now, localTime, out);
}

void ReadRealTime(long long* seconds, int* millisecond) {
    FILETIME now;
    ::GetSystemTimePreciseAsFileTime(&now);
    const unsigned long long since = AsNumber(now) - kEpochOffset;
    *seconds = static_cast<long long>(since / kIntervalsPerSecond);
    *millisecond = static_cast<int>(since % kIntervalsPerSecond / 10000ULL);
}

void CalendarTimeAt(long long seconds, bool localTime, CalendarTime* out) {
    if (out == nullptr) return;
    const unsigned long long intervals =
        static_cast<unsigned long long>(seconds) * kIntervalsPerSecond + kEpochOffset;
    FILETIME at;
    at.dwLowDateTime = static_cast<DWORD>(intervals & 0xFFFFFFFFULL);
    at.dwHighDateTime = static_cast<DWORD>(intervals >> 32);
    FromFileTime(at, localTime, out);
}

long long SecondsSinceEpoch() {
    FILETIME now;
    ::GetSystemTimePreciseAsFileTime(&now);
    return static_cast<long long>((AsNumber(now) - kEpochOffset) / kIntervalsPerSecond);
}

}  // namespace platform
}  // namespace qm
