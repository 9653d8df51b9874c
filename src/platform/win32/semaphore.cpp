// Counting semaphores are kernel objects here: the kernel refuses a release
// past the maximum and leaves the count as it was.
#include "platform/semaphore.h"

#include "platform/win32/windows_api.h"

namespace qm {
namespace platform {

static_assert(kInfiniteWait == INFINITE, "one value means 'wait for ever'");

void* CreateSemaphore(long initialCount, long maximumCount) {
    if (maximumCount <= 0 || initialCount < 0 || initialCount > maximumCount) return nullptr;
    return ::CreateSemaphoreW(nullptr, initialCount, maximumCount, nullptr);  // null on failure
}

void CloseSemaphore(void* semaphore) {
    if (semaphore != nullptr) ::CloseHandle(semaphore);
}

bool ReleaseSemaphore(void* semaphore, long count) {
    if (semaphore == nullptr || count <= 0) return false;
    return ::ReleaseSemaphore(semaphore, count, nullptr) != FALSE;
}

int WaitSemaphore(void* semaphore, unsigned int timeoutMs) {
    if (semaphore == nullptr) return kWaitFailed;
    switch (::WaitForSingleObject(semaphore, timeoutMs)) {
        case WAIT_OBJECT_0: return kWaitSignalled;
        case WAIT_TIMEOUT: return kWaitTimedOut;
        default: return kWaitFailed;
    }
}

// Windows processes do not fork, so there is never a child to reset in.
void ResetSemaphoreInChild(void*) {}

}  // namespace platform
}  // namespace qm
