// Counting semaphore with a timed wait. Handles are opaque.
#pragma once

namespace qm {
namespace platform {

constexpr unsigned int kInfiniteWait = 0xFFFFFFFFu;

enum WaitResult {
    kWaitSignalled = 0,
    kWaitTimedOut = 1,
    kWaitFailed = -1
};

// Null when the semaphore cannot be created (bad counts included).
void* CreateSemaphore(long initialCount, long maximumCount);
void CloseSemaphore(void* semaphore);
// Raises the count by count; a rise past the maximum is refused (false).
bool ReleaseSemaphore(void* semaphore, long count);
// kInfiniteWait waits without limit.
int WaitSemaphore(void* semaphore, unsigned int timeoutMs);
// In a forked child only: count 0 and no waiters, whatever the parent's
// threads were doing with it when the process was copied.
void ResetSemaphoreInChild(void* semaphore);

}  // namespace platform
}  // namespace qm
