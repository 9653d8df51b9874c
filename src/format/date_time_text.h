// Every date and time text the library writes, by name: the head of a log
// line's prolog and its date text (also the static helpers'), the three trace
// field forms, and the time stamp of a syslog frame. The texts of the current
// second are kept per thread by one rule (date_time_cache.cpp): a text is
// rebuilt only when the second, the time kind or what else it shows changes.
#pragma once

#include <cstddef>
#include <ctime>

#include "platform/clock.h"

namespace qm {

// The date text of a four-digit year is this long, terminator excluded.
constexpr std::size_t kDateTimeTextLength = 24;
// At least this many bytes for the out of the per-second texts below.
constexpr std::size_t kDateTimeAreaSize = 32;
// At least this many bytes for CurrentPrologHead's out.
constexpr std::size_t kPrologHeadSize = 80;

// A calendar time as a broken-down time (month 0-11, year minus 1900, day of
// week 0 = Sunday); milliseconds are not part of it.
std::tm ToBrokenDownTime(const platform::CalendarTime& calendar);

// The current time, local or UTC, as a broken-down time and its milliseconds.
void ReadBrokenDownTime(bool useLocalTime, std::tm* time, int* millisecond);

// The forms below write into out (size bytes, NUL-terminated) and return the
// length; 0 when the text does not fit or the time has no such text.

// "Www Mmm dd yyyy hh:mm:ss": the prolog's date text. 0 as well when the day
// of week or the month is outside the name tables. The names never follow the
// locale.
std::size_t FormatDateTimeText(const std::tm& time, char* out, std::size_t size);
// "mm/dd/yyyy": the Date field and QM_TIME_DATE.
std::size_t FormatShortDate(const std::tm& time, char* out, std::size_t size);
// "hh:mm:ss": the Time field and QM_TIME_TIME.
std::size_t FormatClockTime(const std::tm& time, char* out, std::size_t size);
// "hh:mm:ss.mmm": the PreciseTime field, milliseconds in three digits.
std::size_t FormatPreciseTime(const std::tm& time, int millisecond, char* out, std::size_t size);
// Its ".mmm" alone, written at out (four bytes, no terminator): the one
// place the precise time's milliseconds are spelled.
constexpr std::size_t kPreciseMillisecondsLength = 4;
void WritePreciseMilliseconds(int millisecond, char* out);
// "hh:mm:ss.m": QM_TIME_PRECISE, milliseconds without leading zeros (5 ms
// reads ".5"), as the static helper has always written them.
std::size_t FormatPreciseTimeUnpadded(const std::tm& time, int millisecond, char* out, std::size_t size);
// The text of one QmTimeKind: one of the three forms above, or for any other
// kind the date text.
std::size_t FormatTimeOfKind(int kind, const std::tm& time, int millisecond, char* out, std::size_t size);
// "2026-12-05T23:42:45.123+01:00", or "...Z" for offset 0 when utc is true:
// an RFC 3339 time stamp. A leap second's 60 reads 59, which syslog accepts.
std::size_t FormatRfc3339Stamp(const platform::CalendarTime& time, int offsetMinutes, bool utc, char* out,
                               std::size_t size);

// Texts of the current second, kept per thread; out holds at least
// kDateTimeAreaSize bytes and gets no terminator. A forked child asks with its
// own clock: the text of one second is the same in every process.

// The date text of now, local or UTC; 0 when the clock gives a date the text
// cannot show.
std::size_t CurrentDateTimeText(bool useLocalTime, char* out);
// The same for a second already read from the clock (seconds since 1970).
std::size_t DateTimeTextAt(long long second, bool useLocalTime, char* out);
// The head of a log line's prolog, "[pid/tid][Www Mmm dd yyyy hh:mm:ss][", for
// the calling process and thread: within one second every line of a thread
// starts with the same bytes.
std::size_t CurrentPrologHead(bool useLocalTime, char* out);
// The RFC 3339 stamp of now with its milliseconds, in the local zone with its
// offset or in UTC with "Z".
std::size_t CurrentRfc3339Stamp(bool useLocalTime, char* out);

// The three texts of a trace record's Date, Time and PreciseTime fields, all
// of one reading of the clock, each NUL-terminated; a length of 0 is a text
// the clock's date cannot give (the field is then empty).
struct TraceTimeTexts {
    char date[kDateTimeAreaSize];     // "mm/dd/yyyy"
    char clock[kDateTimeAreaSize];    // "hh:mm:ss"
    char precise[kDateTimeAreaSize];  // "hh:mm:ss.mmm"
    std::size_t dateLength;
    std::size_t clockLength;
    std::size_t preciseLength;
};
void CurrentTraceTimeTexts(bool useLocalTime, TraceTimeTexts* out);

}  // namespace qm
