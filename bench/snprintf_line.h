// The floor the formatting benchmarks compare against: the same log line as
// one snprintf with the clock read, written the plain way.
#pragma once

#include <cstddef>
#include <cstdio>

#include "platform/clock.h"
#include "platform/process.h"

inline int SnprintfLogLine(char* line, std::size_t size, int pid) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    qm::platform::CalendarTime now;
    qm::platform::GetCurrentTime(false, &now);
    return std::snprintf(line, size, "[%d/%u][%s %s %02d %04d %02d:%02d:%02d][%s:%d][%s] %s\n", pid,
                         qm::platform::CurrentThreadId(), kDays[now.dayOfWeek], kMonths[now.month - 1], now.day,
                         now.year, now.hour, now.minute, now.second, "dbconnect.cpp", 42, "ERROR",
                         "Cannot reach the database");
}
