// The library's own guards across fork(): the forking thread holds the write
// side of each while the process is copied, so no thread is inside what the
// guard protects at that moment.
#pragma once

class CQmErrLogGuard;

namespace qm {

// Before the copy: the write side.
void LockGuardForFork(CQmErrLogGuard& guard);
// In the parent: an ordinary unlock, handing on to the threads that queued.
void UnlockGuardInParent(CQmErrLogGuard& guard);
// In the child: free, nobody waiting. Threads queued in the parent do not
// exist here, so an unlock could hand the guard to a thread that never runs.
void ResetGuardInChild(CQmErrLogGuard& guard);

}  // namespace qm
