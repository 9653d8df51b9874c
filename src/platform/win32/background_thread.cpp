// Windows schedules by thread priority within the process's class: a
// thread at the lowest priority runs when the program's own threads leave a
// processor free (and now and then when starved, which the system sees to).
#include "platform/background_thread.h"

#include "platform/win32/windows_api.h"

namespace qm {
namespace platform {

void LowerCurrentThreadPriority() {
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_LOWEST);
}

}  // namespace platform
}  // namespace qm
