// The platform's own per-process state that the fork handlers look after:
// the cached process id, and the lock around the C library's local time
// conversion (taken last before the copy, reset in the child).
#pragma once

namespace qm {
namespace platform {

// Makes the next CurrentProcessId read the id from the system again.
void ForgetCachedProcessId();

void LockClockForFork();
void UnlockClockInParent();
void ResetClockInChild();

}  // namespace platform
}  // namespace qm
