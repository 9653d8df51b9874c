// The library's own guards and critical sections across fork(): the forking
// thread holds each while the process is copied, so no thread is inside what
// it protects at that moment.
#pragma once

class CQmErrLogGuard;
class CQmErrLogCriticalSection;

namespace qm {

// Before the copy: the write side.
void LockGuardForFork(CQmErrLogGuard& guard);
// In the parent: an ordinary unlock, handing on to the threads that queued.
void UnlockGuardInParent(CQmErrLogGuard& guard);
// In the child: free, nobody waiting. Threads queued in the parent do not
// exist here, so an unlock could hand the guard to a thread that never runs.
void ResetGuardInChild(CQmErrLogGuard& guard);

// A critical section is taken with Enter and given back in the parent with
// Leave; in the child it is made free, whoever held it.
void ResetCriticalSectionInChild(CQmErrLogCriticalSection& section);

}  // namespace qm
