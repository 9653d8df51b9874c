// The head of a log line's prolog, "[pid/tid][Www Mmm dd yyyy hh:mm:ss][",
// kept per thread: within one second every line of a thread starts with the
// same bytes.
#pragma once

#include <cstddef>

namespace qm {

// At least this many bytes for CurrentPrologHead's out.
constexpr std::size_t kPrologHeadSize = 80;

// Writes the head for now, local or UTC, to out (no terminator) and returns
// its length. Rebuilt when the second, the time kind, the process id or the
// thread id differs from the thread's last head: a forked child has another
// process id, so it never shows its parent's.
std::size_t CurrentPrologHead(bool useLocalTime, char* out);

}  // namespace qm
