// Threads the library starts for housekeeping (compressing backups) yield
// the processor to the program's own threads.
#pragma once

namespace qm {
namespace platform {

// Puts the calling thread at the lowest scheduling priority an ordinary
// program may choose (nice 19; THREAD_PRIORITY_LOWEST on Windows); failures
// change nothing.
void LowerCurrentThreadPriority();

}  // namespace platform
}  // namespace qm
