// The date text of the current second, kept per thread: it changes once a
// second, and building it (a local time conversion under a lock, a calendar
// calculation, the names) costs more than the rest of a log line's prolog.
#pragma once

#include <cstddef>

namespace qm {

// At least this many bytes for CurrentDateTimeText's out.
constexpr std::size_t kDateTimeAreaSize = 32;

// Writes the date text ("Www Mmm dd yyyy hh:mm:ss") of now, local or UTC, to
// out (no terminator) and returns its length; 0 when the clock gives a date
// the text cannot show. The text is rebuilt only when the second (or the
// time kind) differs from this thread's last one, so a thread converts local
// time at most once a second. A forked child asks with its own clock: the
// text of one second is the same in every process.
std::size_t CurrentDateTimeText(bool useLocalTime, char* out);

// The same for a second already read from the clock (seconds since 1970).
std::size_t DateTimeTextAt(long long second, bool useLocalTime, char* out);

}  // namespace qm
