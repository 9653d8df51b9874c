#include "format/date_time_text.h"

#include <cstdio>

#include "qmerrlog/message.h"

namespace qm {

namespace {

const char* const kWeekdayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// What snprintf wrote, or 0 (and an empty out) when it did not fit.
std::size_t Fitted(int written, char* out, std::size_t size) {
    if (written <= 0 || static_cast<std::size_t>(written) >= size) {
        if (size > 0) out[0] = '\0';
        return 0;
    }
    return static_cast<std::size_t>(written);
}

}  // namespace

std::tm ToBrokenDownTime(const platform::CalendarTime& calendar) {
    std::tm time{};
    time.tm_year = calendar.year - 1900;
    time.tm_mon = calendar.month - 1;
    time.tm_mday = calendar.day;
    time.tm_hour = calendar.hour;
    time.tm_min = calendar.minute;
    time.tm_sec = calendar.second;
    time.tm_wday = calendar.dayOfWeek;
    time.tm_yday = calendar.dayOfYear;
    time.tm_isdst = -1;
    return time;
}

void ReadBrokenDownTime(bool useLocalTime, std::tm* time, int* millisecond) {
    platform::CalendarTime now{};
    platform::GetCurrentTime(useLocalTime, &now);
    *time = ToBrokenDownTime(now);
    *millisecond = now.millisecond;
}

std::size_t FormatDateTimeText(const std::tm& time, char* out, std::size_t size) {
    if (time.tm_wday < 0 || time.tm_wday > 6 || time.tm_mon < 0 || time.tm_mon > 11) {
        return 0;
    }
    // "Www Mmm " is always 8 bytes.
    constexpr std::size_t kNamesLength = 8;
    if (size <= kNamesLength) {
        return 0;
    }
    std::snprintf(out, size, "%s %s ", kWeekdayNames[time.tm_wday], kMonthNames[time.tm_mon]);
    const std::size_t rest = std::strftime(out + kNamesLength, size - kNamesLength, "%d %Y %H:%M:%S", &time);
    if (rest == 0) {
        out[0] = '\0';
        return 0;
    }
    return kNamesLength + rest;
}

std::size_t FormatShortDate(const std::tm& time, char* out, std::size_t size) {
    return Fitted(std::snprintf(out, size, "%02d/%02d/%04d", time.tm_mon + 1, time.tm_mday, time.tm_year + 1900),
                  out, size);
}

std::size_t FormatClockTime(const std::tm& time, char* out, std::size_t size) {
    return Fitted(std::snprintf(out, size, "%02d:%02d:%02d", time.tm_hour, time.tm_min, time.tm_sec), out, size);
}

void WritePreciseMilliseconds(int millisecond, char* out) {
    out[0] = '.';
    out[1] = static_cast<char>('0' + millisecond / 100 % 10);
    out[2] = static_cast<char>('0' + millisecond / 10 % 10);
    out[3] = static_cast<char>('0' + millisecond % 10);
}

std::size_t FormatPreciseTime(const std::tm& time, int millisecond, char* out, std::size_t size) {
    const std::size_t clock = FormatClockTime(time, out, size);
    if (clock == 0 || clock + kPreciseMillisecondsLength >= size) {
        if (size > 0) out[0] = '\0';
        return 0;
    }
    WritePreciseMilliseconds(millisecond, out + clock);
    out[clock + kPreciseMillisecondsLength] = '\0';
    return clock + kPreciseMillisecondsLength;
}

std::size_t FormatPreciseTimeUnpadded(const std::tm& time, int millisecond, char* out, std::size_t size) {
    return Fitted(
        std::snprintf(out, size, "%02d:%02d:%02d.%i", time.tm_hour, time.tm_min, time.tm_sec, millisecond), out,
        size);
}

std::size_t FormatTimeOfKind(int kind, const std::tm& time, int millisecond, char* out, std::size_t size) {
    switch (kind) {
        case QM_TIME_DATE: return FormatShortDate(time, out, size);
        case QM_TIME_TIME: return FormatClockTime(time, out, size);
        case QM_TIME_PRECISE: return FormatPreciseTimeUnpadded(time, millisecond, out, size);
        default: return FormatDateTimeText(time, out, size);
    }
}

std::size_t FormatRfc3339Stamp(const platform::CalendarTime& time, int offsetMinutes, bool utc, char* out,
                               std::size_t size) {
    char zone[32] = "Z";
    if (!utc || offsetMinutes != 0) {
        const int magnitude = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
        std::snprintf(zone, sizeof zone, "%c%02d:%02d", offsetMinutes < 0 ? '-' : '+', magnitude / 60,
                      magnitude % 60);
    }
    return Fitted(
        std::snprintf(out, size, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%s", time.year, time.month, time.day,
                      time.hour, time.minute, time.second > 59 ? 59 : time.second, time.millisecond, zone),
        out, size);
}

}  // namespace qm
