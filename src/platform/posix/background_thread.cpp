// On Linux a nice value belongs to a thread (its kernel id), so raising it
// here slows only the calling thread.
#include "platform/background_thread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace qm {
namespace platform {
namespace {

// The weakest claim on a processor the scheduler offers without special
// rights. Ten steps (a tenth of a nice-0 thread's share) still took enough
// from a logging thread on a busy two-processor machine to show in the time
// of a line; at 19 the share is about one seventh of that. An idle
// processor still runs the thread at full speed.
constexpr int kLowestPriority = 19;

}  // namespace

void LowerCurrentThreadPriority() {
    const id_t self = static_cast<id_t>(syscall(SYS_gettid));
    setpriority(PRIO_PROCESS, self, kLowestPriority);
}

}  // namespace platform
}  // namespace qm
