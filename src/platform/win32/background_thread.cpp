// Windows schedules by thread priority within the process's class.
#include "platform/background_thread.h"

#include "platform/win32/windows_api.h"

namespace qm {
namespace platform {

void LowerCurrentThreadPriority() {
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
}

}  // namespace platform
}  // namespace qm
