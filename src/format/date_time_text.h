// Broken-down times from the platform clock and the English date text
// "Www Mmm dd yyyy hh:mm:ss" shared by the prolog and the static helpers.
#pragma once

#include <cstddef>
#include <ctime>

#include "platform/clock.h"

namespace qm {

// The date text of a four-digit year is this long, terminator excluded.
constexpr std::size_t kDateTimeTextLength = 24;

// A calendar time as a broken-down time (month 0-11, year minus 1900, day of
// week 0 = Sunday); milliseconds are not part of it.
std::tm ToBrokenDownTime(const platform::CalendarTime& calendar);

// The current time, local or UTC, as a broken-down time (month 0-11, year
// minus 1900, day of week 0 = Sunday) and its milliseconds.
void ReadBrokenDownTime(bool useLocalTime, std::tm* time, int* millisecond);

// Writes the date text of time into out (size bytes, NUL-terminated) and
// returns its length; 0 when it does not fit or when the day of week or the
// month is outside the name tables. The names never follow the locale.
std::size_t FormatDateTimeText(const std::tm& time, char* out, std::size_t size);

// The text of one QmTimeKind: "%m/%d/%Y", "%H:%M:%S", "%H:%M:%S" with "." and
// the milliseconds, or for any other kind the date text. Same results as above.
std::size_t FormatTimeOfKind(int kind, const std::tm& time, int millisecond, char* out,
                             std::size_t size);

}  // namespace qm
