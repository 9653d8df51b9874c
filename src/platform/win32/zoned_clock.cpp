#include "platform/zoned_clock.h"

#include "platform/win32/windows_api.h"

namespace qm {
namespace platform {
namespace {

long long AsNumber(const FILETIME& time) {
    return static_cast<long long>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) |
                                  time.dwLowDateTime);
}

}  // namespace

void GetCurrentTimeWithOffset(bool localTime, CalendarTime* out, int* offsetMinutes) {
    if (out == nullptr) return;
    FILETIME now;
    ::GetSystemTimePreciseAsFileTime(&now);
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
    out->dayOfYear = 0;
    if (offsetMinutes != nullptr) {
        // 600,000,000 intervals of 100 ns make a minute; zones are whole minutes.
        *offsetMinutes = static_cast<int>((AsNumber(wanted) - AsNumber(now)) / 600000000LL);
    }
}

}  // namespace platform
}  // namespace qm
