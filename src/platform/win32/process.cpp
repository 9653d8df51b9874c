// Process and thread ids. GetCurrentThreadId reads the thread's own
// environment block, which is cheaper than any cache of ours.
#include "platform/process.h"

#include "platform/win32/windows_api.h"

namespace qm {
namespace platform {

int CurrentProcessId() {
    return static_cast<int>(::GetCurrentProcessId());
}

unsigned int CurrentThreadId() {
    return static_cast<unsigned int>(::GetCurrentThreadId());
}

}  // namespace platform
}  // namespace qm
