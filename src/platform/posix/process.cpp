// Process id and kernel thread id.
#include "platform/process.h"

#include <sys/syscall.h>
#include <unistd.h>

namespace qm {
namespace platform {

int CurrentProcessId() { return static_cast<int>(getpid()); }

unsigned int CurrentThreadId() {
    // The kernel's thread id, asked once per thread: the log prolog calls
    // this on every line, and no thread id is 0.
    thread_local unsigned int cached = 0;
    if (cached == 0) cached = static_cast<unsigned int>(syscall(SYS_gettid));
    return cached;
}

}  // namespace platform
}  // namespace qm
