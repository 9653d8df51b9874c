// Threads the library starts for housekeeping (compressing backups) yield
// the processor to the program's own threads.
#pragma once

namespace qm {
namespace platform {

// Lowers the calling thread's scheduling priority; failures change nothing.
void LowerCurrentThreadPriority();

}  // namespace platform
}  // namespace qm
