#include "platform/zoned_clock.h"

#include "platform/win32/windows_api.h"

namespace qm {
namespace platform {
namespace {

// 100-ns intervals between 1601-01-01 and 1970-01-01, and in a second.
constexpr long long kEpochOffset = 116444736000000000LL;
constexpr long long kIntervalsPerSecond = 10000000LL;

long long AsNumber(const FILETIME& time) {
    return static_cast<long long>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) |
                                  time.dwLowDateTime);
}

FILETIME AsFileTime(long long intervals) {
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(static_cast<unsigned long long>(intervals) & 0xFFFFFFFFu);
    time.dwHighDateTime = static_cast<DWORD>(static_cast<unsigned long long>(intervals) >> 32);
    return time;
}

}  // namespace

void GetEpochTime(long long* seconds, int* millisecond) {
    FILETIME now;
    ::GetSystemTimePreciseAsFileTime(&now);
    const long long since = AsNumber(now) - kEpochOffset;
    if (seconds != nullptr) *seconds = since / kIntervalsPerSecond;
    if (millisecond != nullptr) *millisecond = static_cast<int>((since % kIntervalsPerSecond) / 10000);
}

void BreakDownSecond(long long seconds, bool localTime, CalendarTime* out, int* offsetMinutes) {
    if (out == nullptr) return;
    const FILETIME utc = AsFileTime(seconds * kIntervalsPerSecond + kEpochOffset);
    // The zone's present bias, daylight saving included: right for the
    // present moment, which is what time stamps are made of.
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
    out->millisecond = 0;
    out->dayOfWeek = parts.wDayOfWeek;
    out->dayOfYear = 0;  // no caller of this clock needs it
    if (offsetMinutes != nullptr) {
        // 600,000,000 intervals make a minute; zones are whole minutes.
        *offsetMinutes = static_cast<int>((AsNumber(wanted) - AsNumber(utc)) / 600000000LL);
    }
}

}  // namespace platform
}  // namespace qm
