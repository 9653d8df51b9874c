// Wall clock split in two steps, so that callers stamping many records a
// second break a second down into calendar fields once, not once a record;
// and with the offset of its zone from UTC, for time stamps that must say
// which zone they are in.
#pragma once

#include "platform/clock.h"

namespace qm {
namespace platform {

// Seconds since 1970-01-01 UTC and the millisecond within that second.
void GetEpochTime(long long* seconds, int* millisecond);

// The calendar time of a second since 1970: local time and its offset east of
// UTC in minutes, or UTC and offset 0. The millisecond field is left 0.
void BreakDownSecond(long long seconds, bool localTime, CalendarTime* out, int* offsetMinutes);

}  // namespace platform
}  // namespace qm
