#include "format/date_time_text.h"

#include <cstdio>

#include "platform/clock.h"
#include "qmerrlog/message.h"

namespace qm {

namespace {

const char* const kWeekdayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

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
    const std::size_t rest =
        std::strftime(out + kNamesLength, size - kNamesLength, "%d %Y %H:%M:%S", &time);
    if (rest == 0) {
        out[0] = '\0';
        return 0;
    }
    return kNamesLength + rest;
}

std::size_t FormatTimeOfKind(int kind, const std::tm& time, int millisecond, char* out,
                             std::size_t size) {
    switch (kind) {
        case QM_TIME_DATE:
            return std::strftime(out, size, "%m/%d/%Y", &time);
        case QM_TIME_TIME:
            return std::strftime(out, size, "%H:%M:%S", &time);
        case QM_TIME_PRECISE: {
            // Milliseconds without leading zeros: 5 ms reads ".5", not ".005".
            char clock[64];
            if (std::strftime(clock, sizeof clock, "%H:%M:%S", &time) == 0) {
                return 0;
            }
            const int written = std::snprintf(out, size, "%s.%i", clock, millisecond);
            if (written <= 0 || static_cast<std::size_t>(written) >= size) {
                out[0] = '\0';
                return 0;
            }
            return static_cast<std::size_t>(written);
        }
        default:
            return FormatDateTimeText(time, out, size);
    }
}

}  // namespace qm
