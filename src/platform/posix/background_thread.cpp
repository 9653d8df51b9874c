// On Linux a nice value belongs to a thread (its kernel id), so raising it
// here slows only the calling thread.
#include "platform/background_thread.h"

#include <errno.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace qm {
namespace platform {
namespace {

// Enough to leave a busy logging thread its processor; an idle machine
// still runs the thread at full speed.
constexpr int kNiceSteps = 10;
constexpr int kLowestPriority = 19;

}  // namespace

void LowerCurrentThreadPriority() {
    const id_t self = static_cast<id_t>(syscall(SYS_gettid));
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, self);
    if (current == -1 && errno != 0) return;
    const int lowered = current + kNiceSteps > kLowestPriority ? kLowestPriority : current + kNiceSteps;
    setpriority(PRIO_PROCESS, self, lowered);
}

}  // namespace platform
}  // namespace qm
