// Wall clock with the offset of its zone from UTC, for time stamps that
// must say which zone they are in.
#pragma once

#include "platform/clock.h"

namespace qm {
namespace platform {

// Local time and its offset east of UTC in minutes, or UTC and offset 0.
void GetCurrentTimeWithOffset(bool localTime, CalendarTime* out, int* offsetMinutes);

}  // namespace platform
}  // namespace qm
